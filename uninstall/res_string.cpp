#include "uninstall/res_string.h"

#include "uninstall/string_table.h"

namespace trv::uninstall {

const char* CResString::text() {
  if (!loaded_) {
    const char* t = programString(id_);
    if (!t) return nullptr;
    loaded_ = CRefString(t);
  }
  return loaded_->c_str();
}

int CResString::length() {
  return text() ? loaded_->length() : 0;
}

}  // namespace trv::uninstall
