#include "media/png_writer.h"

#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace life3d {
namespace {

// Reads a PNG back as 8-bit RGB with libpng's own reader.
std::vector<uint8_t> ReadRgb(const std::string& path, int32_t& width, int32_t& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = static_cast<int32_t>(image.width);
  height = static_cast<int32_t>(image.height);
  return rgb;
}

// The tool's way to a PNG file: check the path, encode, write, commit. On
// failure false with a reason, and the path as it was.
bool WritePng(const DrawingSurface& surface, const std::string& path, std::string* error) {
  OutputTarget target;
  std::vector<uint8_t> bytes;
  OutputFile file;
  if (!CheckPngOutput(path, target, error) || !EncodePng(surface, bytes, error) ||
      !OpenOutput(target, file, error))
    return false;
  if (!WriteOutput(file, bytes.data(), bytes.size(), error)) {
    AbandonOutput(file);
    return false;
  }
  return CommitOutput(file, error);
}

std::string TempPath(const char* name) {
  return testing::TempDir() + name + std::to_string(getpid()) + ".png";
}

int FilesIn(const std::string& folder) {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) n += entry.exists();
  return n;
}

TEST(PngWriterTest, WritesEachPixelAsRedGreenBlue) {
  DrawingSurface surface;
  ASSERT_TRUE(PrepareSurface(surface, 3, 2));
  // Stored 0x00RRGGBB: distinct bytes in every channel, so a swap shows.
  const uint32_t pixels[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xABCDEF, 0x010203};
  surface.image.assign(pixels, pixels + 6);
  const std::string path = TempPath("colors");
  std::string error;
  ASSERT_TRUE(WritePng(surface, path, &error)) << error;
  int32_t width = 0, height = 0;
  const std::vector<uint8_t> rgb = ReadRgb(path, width, height);
  std::remove(path.c_str());
  ASSERT_EQ(width, 3);
  ASSERT_EQ(height, 2);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rgb[3 * i], (pixels[i] >> 16) & 0xFF);
    EXPECT_EQ(rgb[3 * i + 1], (pixels[i] >> 8) & 0xFF);
    EXPECT_EQ(rgb[3 * i + 2], pixels[i] & 0xFF);
  }
}

TEST(PngWriterTest, FailsWithAReasonAndLeavesNoFile) {
  DrawingSurface surface;
  ASSERT_TRUE(PrepareSurface(surface, 2, 2));
  std::string error;
  EXPECT_FALSE(WritePng(surface, testing::TempDir() + "no/such/folder/x.png", &error));
  EXPECT_NE(error.find("there is no folder"), std::string::npos) << error;

  // A failed write keeps an earlier file; a good one replaces it, and neither
  // leaves a temporary file beside it.
  char folder[] = "/tmp/life3d-png-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string path = std::string(folder) + "/frame.png";
  ASSERT_TRUE(WritePng(surface, path, &error)) << error;
  const auto size = std::filesystem::file_size(path);
  DrawingSurface empty;
  EXPECT_FALSE(WritePng(empty, path, &error));
  EXPECT_EQ(std::filesystem::file_size(path), size);
  ASSERT_TRUE(PrepareSurface(surface, 64, 64));
  ASSERT_TRUE(WritePng(surface, path, &error)) << error;
  EXPECT_NE(std::filesystem::file_size(path), size);
  EXPECT_EQ(FilesIn(folder), 1);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace life3d
