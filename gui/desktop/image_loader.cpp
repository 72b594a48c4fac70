#include "gui/desktop/image_loader.h"

#include <jpeglib.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <map>

#include "runtime/platform/folders.h"

namespace trv::gui {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
  auto* em = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, em->message);
  std::longjmp(em->jump, 1);
}

// Warnings (a truncated file, extraneous bytes) do not stop the decode.
void onMessage(j_common_ptr, int) {}

bool isJpeg(const QByteArray& data) {
  return data.size() >= 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
         static_cast<unsigned char>(data[1]) == 0xD8 && static_cast<unsigned char>(data[2]) == 0xFF;
}

}  // namespace

// No object with a destructor is created between setjmp and a possible longjmp: the image is
// made before and only assigned after.
QImage decodeJpeg(const unsigned char* data, std::size_t size, std::string* error) {
  QImage image;
  jpeg_decompress_struct info{};
  ErrorManager em{};
  info.err = jpeg_std_error(&em.base);
  em.base.error_exit = onError;
  em.base.emit_message = onMessage;
  if (setjmp(em.jump)) {
    jpeg_destroy_decompress(&info);
    if (error) *error = em.message;
    return QImage();
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&info);
  image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                 info.output_components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  if (image.isNull()) {
    jpeg_destroy_decompress(&info);
    if (error) *error = "image too large";
    return QImage();
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return image;
}

std::string resolveImage(const std::string& name,
                         const std::vector<std::filesystem::path>& folders) {
  if (name.empty() || name.rfind(":/", 0) == 0) return name;
  const std::filesystem::path p(name);
  if (p.is_absolute()) return name;
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    if (auto found = platform::findIgnoringCase(folder / p.parent_path(), p.filename()))
      return found->string();
  }
  // The built-in images, by their names in lower case.
  static const std::map<QString, QString> builtIn = [] {
    std::map<QString, QString> m;
    const QDir dir(QStringLiteral(":/trv/images"));
    for (const QString& f : dir.entryList(QDir::Files)) m[f.toLower()] = dir.filePath(f);
    return m;
  }();
  auto it = builtIn.find(QString::fromStdString(p.filename().string()).toLower());
  return it == builtIn.end() ? name : it->second.toStdString();
}

QImage loadImage(const std::filesystem::path& file, std::string* error) {
  QFile f(QString::fromStdString(file.string()));
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = f.errorString().toStdString();
    return QImage();
  }
  QByteArray data = f.readAll();
  if (isJpeg(data))
    return decodeJpeg(reinterpret_cast<const unsigned char*>(data.constData()),
                      static_cast<std::size_t>(data.size()), error);
  // A file of several pictures (an icon's sizes) gives its largest.
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QImage image;
  const int count = std::max(1, reader.imageCount());
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !reader.jumpToImage(i)) break;
    QImage one = reader.read();
    if (!one.isNull() && one.width() * one.height() > image.width() * image.height())
      image = std::move(one);
  }
  if (image.isNull() && error) *error = "not an image in a known format";
  return image;
}

}  // namespace trv::gui
