#pragma once
// Images shown by windows (logos, wallpapers, pictures on buttons): JPEG files are decoded with
// libjpeg, every other format through Qt's image readers. Names starting with ":/" are the
// program's own images built into it.

#include <QImage>
#include <filesystem>
#include <string>

namespace trv::gui {

// The image, or a null image with the reason in *error (missing file, unreadable, corrupt).
// A truncated JPEG keeps the rows that were decoded (libjpeg pads the rest), as viewers do.
QImage loadImage(const std::filesystem::path& file, std::string* error);

// Decodes JPEG data held in memory; null with the reason in *error when the data is no JPEG.
QImage decodeJpeg(const unsigned char* data, std::size_t size, std::string* error);

}  // namespace trv::gui
