#include "runtime/forms/record_use.h"

#include <cstdlib>

#include "runtime/store/record_codec.h"
#include "runtime/text/charset.h"

namespace trv::forms {

ui::UseVar useRecordField(data::FileAccess& file, std::string fieldName) {
  int index = file.decl().findField(fieldName);
  if (index < 0) std::abort();
  const store::FieldDecl& f = file.decl().fields[static_cast<std::size_t>(index)];
  bool isText = f.type == store::FieldType::String || f.type == store::FieldType::CString;
  ui::UseVar u;
  u.name = std::move(fieldName);
  if (isText) {
    u.width = static_cast<int>(f.type == store::FieldType::CString ? f.width - 1 : f.width);
    u.get = [&file, &f] {
      return ui::Value(text::toUtf8(store::fieldText(f, file.buffer().record.data())));
    };
    u.set = [&file, &f](const ui::Value& v) {
      std::string t = text::fromUtf8(ui::valueText(v));
      std::size_t room = f.type == store::FieldType::CString ? f.width - 1 : f.width;
      if (t.size() > room) t.resize(room);
      (void)store::setFieldText(f, file.buffer().record.data(), t);
    };
  } else {
    u.get = [&file, &f] {
      return ui::Value(
          static_cast<std::int64_t>(store::readNumber(f, file.buffer().record.data())));
    };
    u.set = [&file, &f](const ui::Value& v) {
      (void)store::writeNumber(f, file.buffer().record.data(), ui::valueNumber(v));
    };
  }
  return u;
}

}  // namespace trv::forms
