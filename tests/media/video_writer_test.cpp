#include "media/video_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/media/video_decode.h"

namespace life3d {
namespace {

namespace fs = std::filesystem;
using testing::DecodedVideo;
using testing::DecodeVideo;
using testing::Psnr;
using Folder = testing::ScratchFolder;

// Pictures like the program's: flat shaded shapes with hard edges over a
// light background, moving from frame to frame.
std::vector<uint32_t> Picture(int32_t width, int32_t height, int32_t k) {
  std::vector<uint32_t> p(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint32_t c = 0xF0F0F0;
      if ((x + 400 - 3 * k) % 80 < 40 && y > height / 4 && y < height / 2) c = 0x2060C0;
      if (x + y > width / 2 + 2 * k && x < width * 3 / 4 && y > height / 2) c = 0xC03020;
      if (x < width / 8) c = static_cast<uint32_t>(y * 255 / height) * 0x010101;
      p[static_cast<size_t>(y) * width + x] = c;
    }
  }
  return p;
}

VideoFile Record(const std::string& path, int32_t width, int32_t height, int32_t frames,
                 std::string* error, int32_t fps = 25) {
  VideoFile video = OpenVideo(path, VideoSettings{width, height, fps, -1}, error);
  if (!video) return nullptr;
  for (int32_t k = 0; k < frames; ++k)
    if (!AddVideoFrame(*video, Picture(width, height, k), error)) return nullptr;
  if (!FinishVideo(*video, error) || !CommitVideo(*video, error)) return nullptr;
  return video;
}

struct FormatCase {
  const char* name;
  const char* codec;
  int32_t width, height;
  // 1000: exact. Halving the colour resolution costs saturated hard edges
  // like these about 33 dB before any compression; a shifted frame or a
  // wrong colour matrix gives far less.
  double minPsnr;
};

TEST(VideoWriter, EachFormatDecodesToTheFramesGiven) {
  const FormatCase cases[] = {
      {"run.mkv", "ffv1", 161, 91, 1000}, {"run.mp4", "h264", 320, 180, 32},
      {"run.webm", "vp9", 321, 181, 32},  {"RUN.MKV", "ffv1", 32, 2, 1000},
      {"edge.mkv", "ffv1", 16, 16, 1000},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    std::string error;
    ASSERT_TRUE(Record(folder / c.name, c.width, c.height, 30, &error)) << error;
    const DecodedVideo video = DecodeVideo(folder / c.name);
    ASSERT_EQ(video.error, "");
    EXPECT_EQ(video.codec, c.codec);
    EXPECT_EQ(video.width, c.width);
    EXPECT_EQ(video.height, c.height);
    EXPECT_DOUBLE_EQ(video.fps, 25);
    ASSERT_EQ(video.frames.size(), 30u);
    for (int32_t k = 0; k < 30; ++k)
      EXPECT_GE(Psnr(video.frames[k], Picture(c.width, c.height, k)), c.minPsnr) << "frame " << k;
  }
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(VideoWriter, SameFramesGiveTheSameMkvBytes) {
  Folder folder;
  std::string error;
  ASSERT_TRUE(Record(folder / "a.mkv", 640, 360, 8, &error)) << error;
  ASSERT_TRUE(Record(folder / "b.mkv", 640, 360, 8, &error)) << error;
  const std::string a = Bytes(folder / "a.mkv");
  EXPECT_GT(a.size(), 1000u);
  EXPECT_TRUE(a == Bytes(folder / "b.mkv"));
}

// +faststart reads the file back in the trailer to move the index first.
TEST(VideoWriter, Mp4IndexComesBeforeTheFrames) {
  Folder folder;
  std::string error;
  ASSERT_TRUE(Record(folder / "run.mp4", 320, 180, 30, &error)) << error;
  const std::string bytes = Bytes(folder / "run.mp4");
  ASSERT_NE(bytes.find("mdat"), std::string::npos);
  EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
}

struct BadCase {
  const char* name;
  VideoSettings settings;
  const char* says;
};

TEST(VideoWriter, RefusesWhatTheFormatCannotTakeAndLeavesNoFile) {
  const BadCase cases[] = {
      {"run.avi", {64, 64, 60, -1}, "must end in .mp4, .webm or .mkv"},
      {"run", {64, 64, 60, -1}, "must end in"},
      {".mkv", {64, 64, 60, -1}, "must end in"},
      {"run.mp4", {65, 64, 60, -1}, "needs an even width and height, not 65x64"},
      {"run.mp4", {64, 63, 60, -1}, "needs an even width and height"},
      {"run.mp4", {64, 64, 60, 52}, "quality must be from 0 to 51, not 52"},
      {"run.webm", {64, 64, 60, 64}, "quality must be from 0 to 63"},
      {"run.mkv", {64, 64, 60, 10}, "lossless and takes no quality"},
      {"run.mkv", {64, 64, 0, -1}, "frame rate must be from 1 to 1000"},
      {"run.mkv", {0, 64, 60, -1}, "positive width and height"},
      {"no/such/run.mkv", {64, 64, 60, -1}, "cannot write"},
      {"folder.mkv", {64, 64, 60, -1}, "it is a folder"},
  };
  for (const BadCase& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder;
    fs::create_directory(folder / "folder.mkv");
    std::string error;
    EXPECT_FALSE(OpenVideo(folder / c.name, c.settings, &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"folder.mkv"});
  }
}

TEST(VideoWriter, FileAppearsOnlyWhenCommitted) {
  Folder folder;
  const std::string path = folder / "run.mkv";
  std::string error;
  VideoFile video = OpenVideo(path, VideoSettings{64, 48, 30, -1}, &error);
  ASSERT_TRUE(video) << error;
  EXPECT_FALSE(AddVideoFrame(*video, std::vector<uint32_t>(64 * 47), &error));
  EXPECT_NE(error.find("not 64x48"), std::string::npos) << error;
  for (int32_t k = 0; k < 3; ++k) ASSERT_TRUE(AddVideoFrame(*video, Picture(64, 48, k), &error));
  EXPECT_EQ(VideoFrameCount(*video), 3);
  ASSERT_TRUE(FinishVideo(*video, &error)) << error;
  EXPECT_TRUE(folder.Names().empty());  // an unnamed file until the commit
  ASSERT_TRUE(CommitVideo(*video, &error)) << error;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"run.mkv"});
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(fs::status(path).permissions(), static_cast<fs::perms>(0666 & ~mask));
  EXPECT_FALSE(AddVideoFrame(*video, Picture(64, 48, 3), &error));
  EXPECT_EQ(DecodeVideo(path).frames.size(), 3u);
}

TEST(VideoWriter, AbandonedOrDroppedRecordingLeavesNothing) {
  Folder folder;
  std::string error;
  for (const bool abandon : {true, false}) {
    VideoFile video = OpenVideo(folder / "run.webm", VideoSettings{64, 48, 30, -1}, &error);
    ASSERT_TRUE(video) << error;
    ASSERT_TRUE(AddVideoFrame(*video, Picture(64, 48, 0), &error));
    if (abandon) AbandonVideo(*video);
    video.reset();
    EXPECT_TRUE(folder.Names().empty());
  }
}

// A full disk, imitated by a file size limit: the write fails with EFBIG
// instead of the signal that would end the process.
TEST(VideoWriter, DiskFailureMidRunRemovesThePartialFile) {
  Folder folder;
  rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 256 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

  std::string error;
  VideoFile video = OpenVideo(folder / "run.mkv", VideoSettings{320, 240, 30, -1}, &error);
  bool failed = !video;
  std::vector<uint32_t> noise(320 * 240);
  uint32_t seed = 1;
  for (int32_t k = 0; k < 40 && !failed; ++k) {
    for (uint32_t& p : noise) p = (seed = seed * 1664525u + 1013904223u) >> 8;
    failed = !AddVideoFrame(*video, noise, &error);
  }
  if (!failed) failed = !FinishVideo(*video, &error);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(failed);
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_NE(error.find("File too large"), std::string::npos) << error;
  EXPECT_TRUE(folder.Names().empty());
}

}  // namespace
}  // namespace life3d
