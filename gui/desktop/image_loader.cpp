#include "gui/desktop/image_loader.h"

#include <jpeglib.h>

#include <QFile>
#include <QImageReader>
#include <csetjmp>
#include <cstdio>

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
  QImage image = QImage::fromData(data);
  if (image.isNull() && error) *error = "not an image in a known format";
  return image;
}

}  // namespace trv::gui
