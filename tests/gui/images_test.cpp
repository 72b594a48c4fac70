// Images: JPEG through libjpeg, other formats through Qt, clear failures for bad files.

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "gui/desktop/image_loader.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

namespace fs = std::filesystem;

// A width x height JPEG of one colour, written with libjpeg.
std::vector<unsigned char> solidJpeg(int width, int height, unsigned char r, unsigned char g,
                                     unsigned char b) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[static_cast<std::size_t>(x) * 3] = r;
    row[static_cast<std::size_t>(x) * 3 + 1] = g;
    row[static_cast<std::size_t>(x) * 3 + 2] = b;
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&info, &p, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<unsigned char> data(out, out + size);
  jpeg_destroy_compress(&info);
  std::free(out);
  return data;
}

class Images : public ::testing::Test {
 protected:
  fs::path dir = testing::scratchPath("trv_images");
  void SetUp() override {
    testing::qtApp();
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path write(const std::string& name, const std::vector<unsigned char>& bytes) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return dir / name;
  }
};

TEST_F(Images, DecodesJpegWhateverTheFileIsCalled) {
  auto jpeg = solidJpeg(16, 8, 200, 30, 40);
  for (const char* name : {"Logo.jpg", "wallpaper.bmp"}) {
    std::string error;
    QImage img = loadImage(write(name, jpeg), &error);
    ASSERT_FALSE(img.isNull()) << name << ": " << error;
    EXPECT_EQ(img.size(), QSize(16, 8));
    QColor c = img.pixelColor(8, 4);
    EXPECT_NEAR(c.red(), 200, 6);
    EXPECT_NEAR(c.green(), 30, 6);
    EXPECT_NEAR(c.blue(), 40, 6);
  }
}

TEST_F(Images, ReadsOtherFormatsThroughQtAndTheProgramsOwnImages) {
  QImage png(4, 3, QImage::Format_RGB32);
  png.fill(QColor(0, 128, 255));
  ASSERT_TRUE(png.save(QString::fromStdString((dir / "pic.png").string())));
  std::string error;
  EXPECT_EQ(loadImage(dir / "pic.png", &error).size(), QSize(4, 3)) << error;
  EXPECT_FALSE(loadImage(":/trv/images/trvnel.png", &error).isNull()) << error;
}

TEST_F(Images, BadFilesGiveANullImageAndAReason) {
  auto jpeg = solidJpeg(16, 8, 0, 0, 0);
  const std::vector<std::pair<std::string, std::vector<unsigned char>>> cases = {
      {"header-only.jpg", {jpeg.begin(), jpeg.begin() + 3}},
      {"garbage.jpg", {0xFF, 0xD8, 0xFF, 0x00, 0x13, 0x37, 0x00, 0x00}},
      {"text.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
  };
  for (const auto& [name, bytes] : cases) {
    std::string error;
    EXPECT_TRUE(loadImage(write(name, bytes), &error).isNull()) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  std::string error;
  EXPECT_TRUE(loadImage(dir / "missing.jpg", &error).isNull());
  EXPECT_FALSE(error.empty());
}

// Every image a window names is found, in the program folder first and without regard to
// letter case, else among the program's own; an icon gives its largest picture.
TEST_F(Images, ImageNamesResolveWithoutRegardToCaseAndTheProgramsOwnAreBuiltIn) {
  const std::vector<std::string> named = {
      "Zoruve.ico", "zoruve.ico", "Trffc10a.ico", "Trffc10b.ico", "Trffc10c.ico", "SEND1.ICO",
      "To2.ico",    "TO2.ICO",    "Timer.ico",    "~letter.ico",  "~at.ico",      "Mail10.ico",
      "Member.ico", "MOVEUP.ICO", "MOVEDOWN.ICO", "~QwCheck.ICO", "Hand.cur",     "logo.jpg",
      "logo2.jpg",  "LOGO2.JPG",  "attach1.ico",  "letter.ico"};
  for (const std::string& name : named) {
    std::string error;
    const std::string file = resolveImage(name, {dir});
    QImage img = loadImage(file, &error);
    EXPECT_FALSE(img.isNull()) << name << " -> " << file << ": " << error;
    if (name.ends_with(".ico") || name.ends_with(".ICO")) {
      EXPECT_EQ(img.width(), 48) << name;
    }
  }
  // A picture of the user's own in the program folder wins over the built-in one.
  write("Logo2.JPG", solidJpeg(16, 8, 0, 0, 0));
  EXPECT_EQ(resolveImage("logo2.jpg", {"", dir}), (dir / "Logo2.JPG").string());
  EXPECT_EQ(loadImage(resolveImage("logo2.jpg", {dir}), nullptr).size(), QSize(16, 8));
  EXPECT_EQ(resolveImage("/abs/pic.png", {dir}), "/abs/pic.png");
  EXPECT_EQ(resolveImage("nothing.ico", {dir}), "nothing.ico");
}

}  // namespace
}  // namespace trv::gui
