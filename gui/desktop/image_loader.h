#pragma once
// Images shown by windows (logos, wallpapers, pictures on buttons): JPEG files are decoded with
// libjpeg, every other format through Qt's image readers. Names starting with ":/" are the
// program's own images built into it.

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

namespace trv::gui {

// The image, or a null image with the reason in *error (missing file, unreadable, corrupt).
// A truncated JPEG keeps the rows that were decoded (libjpeg pads the rest), as viewers do.
QImage loadImage(const std::filesystem::path& file, std::string* error);

// The file an image name of the model stands for: an absolute name as it is; a relative one in
// each of `folders` in turn, without regard to letter case; then among the program's own images
// built into it (":/trv/images/..."), also without regard to case. The name itself when none
// has it (loading it then fails and says so).
std::string resolveImage(const std::string& name,
                         const std::vector<std::filesystem::path>& folders);

// Decodes JPEG data held in memory; null with the reason in *error when the data is no JPEG.
QImage decodeJpeg(const unsigned char* data, std::size_t size, std::string* error);

}  // namespace trv::gui
