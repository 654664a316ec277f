// life3d-render's videos against its own PNG pictures of the same runs: the
// tool is run as a user would run it, and its files are decoded here.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/media/video_decode.h"

namespace life3d {
namespace {

using testing::DecodedVideo;
using testing::DecodeVideo;
using testing::LumaPsnr;
using testing::Psnr;
using testing::ScratchFolder;

// path as one shell word (the temporary folder may hold blanks).
std::string Quoted(const std::string& path) {
  std::string word = "'";
  for (const char c : path) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// The exit status of life3d-render with args (in shell syntax), its standard
// output sent to out, its errors dropped.
int RunTool(const std::string& args, const std::string& out = "/dev/null") {
  const std::string command =
      std::string(LIFE3D_RENDER_PATH) + " " + args + " >" + Quoted(out) + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint32_t> ReadPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_BGRA;  // a little-endian 0xAARRGGBB word per pixel
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct RunCase {
  const char* args;  // everything but --passes and --keys
  const char* keys;
  long passes;
  int32_t width, height;
  size_t frames;  // the first frame and one per pass, none for a pass ended by Esc
};

const RunCase kRuns[] = {
    {"--seed 43200.25 --size 160x90", "XX+qNaa", 6, 160, 90, 7},
    {"--seed 100 --size 161x91 --quick --no-center --angles=-150,10,40", "zz\\e", 6, 161, 91, 3},
};

// The keys only with passes to read them: the tool refuses keys no pass reads.
std::string RunArgs(const RunCase& run, long passes) {
  std::string args = std::string(run.args) + " --passes " + std::to_string(passes);
  if (passes > 0) args += std::string(" --keys '") + run.keys + "'";
  return args;
}

TEST(RenderVideo, MkvFramesAreThePicturesOfThePngPath) {
  for (const RunCase& run : kRuns) {
    SCOPED_TRACE(run.args);
    ScratchFolder folder;
    ASSERT_EQ(RunTool(RunArgs(run, run.passes) + " --video " + Quoted(folder / "run.mkv")), 0);
    const DecodedVideo video = DecodeVideo(folder / "run.mkv");
    ASSERT_EQ(video.error, "");
    EXPECT_EQ(video.width, run.width);
    EXPECT_EQ(video.height, run.height);
    EXPECT_DOUBLE_EQ(video.fps, 60);
    ASSERT_EQ(video.frames.size(), run.frames);
    for (size_t k = 0; k < run.frames; ++k) {
      const std::string png = folder / (std::to_string(k) + ".png");
      ASSERT_EQ(RunTool(RunArgs(run, static_cast<long>(k)) + " --out " + Quoted(png)), 0);
      EXPECT_TRUE(video.frames[k] == ReadPng(png)) << "frame " << k;
    }
    // Same arguments, same bytes: nothing in the file depends on the time or the machine.
    ASSERT_EQ(RunTool(RunArgs(run, run.passes) + " --video " + Quoted(folder / "again.mkv")), 0);
    EXPECT_TRUE(Bytes(folder / "run.mkv") == Bytes(folder / "again.mkv"));
    // Streamed to standard output, written without ever seeking back as a
    // pipe needs: the same frames.
    ASSERT_EQ(RunTool(RunArgs(run, run.passes) + " --video -", folder / "stream.mkv"), 0);
    EXPECT_TRUE(DecodeVideo(folder / "stream.mkv").frames == video.frames);
  }
}

struct LossyCase {
  const char* name;
  const char* codec;
  const char* options;
  double fps;
};

// At full size, where the shapes are many pixels wide. Luma is held to
// 35 dB; the colour, stored at half resolution by yuv420p, costs these
// saturated, hard-edged pictures about 3 dB below that even with no
// compression at all (and more at smaller sizes), so it is held to 30.
TEST(RenderVideo, LossyFramesAreCloseToTheExactPictures) {
  const std::string run = "--seed 43200.25 --size 1920x1080 --passes 12 --keys 'XXXXq++'";
  ScratchFolder folder;
  ASSERT_EQ(RunTool(run + " --video " + Quoted(folder / "exact.mkv")), 0);
  const DecodedVideo exact = DecodeVideo(folder / "exact.mkv");
  ASSERT_EQ(exact.frames.size(), 13u);
  const LossyCase cases[] = {
      {"run.mp4", "h264", "", 60},
      {"run.webm", "vp9", "", 60},
      {"fps.mp4", "h264", "--fps 24 --quality 20", 24},
  };
  for (const LossyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder / c.name;
    ASSERT_EQ(RunTool(run + " " + c.options + " --video " + Quoted(path)), 0);
    const DecodedVideo video = DecodeVideo(path);
    ASSERT_EQ(video.error, "");
    EXPECT_EQ(video.codec, c.codec);
    EXPECT_EQ(video.width, 1920);
    EXPECT_EQ(video.height, 1080);
    EXPECT_DOUBLE_EQ(video.fps, c.fps);
    ASSERT_EQ(video.frames.size(), exact.frames.size());
    for (size_t k = 0; k < video.frames.size(); ++k) {
      EXPECT_GE(LumaPsnr(video.frames[k], exact.frames[k]), 35) << "frame " << k;
      EXPECT_GE(Psnr(video.frames[k], exact.frames[k]), 30) << "frame " << k;
    }
  }
}

}  // namespace
}  // namespace life3d
