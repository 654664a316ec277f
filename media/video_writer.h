// Writing a sequence of frames as a video file, encoded in the process with
// FFmpeg's libraries. The file name's extension picks the format:
//   .mp4   H.264 in yuv420p (plays anywhere); quality is x264's CRF (kMp4Quality)
//   .webm  VP9 in yuv420p; quality is libvpx's CRF (kWebmQuality)
//   .mkv   FFV1 in RGB, lossless: the decoded frames are exactly the pixels
//          given, and the same frames always give the same bytes
// The path "-" is standard output, which takes the .mkv format, streamed:
// written as it comes, without seeking back. A file is written through
// media/output_file.h, into an unnamed file that only CommitVideo puts in
// place, so a recording that fails, is abandoned or is killed leaves nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace life3d {

enum class VideoFormat { kMp4, kWebm, kMkv };

// The frame rates a video takes, and the one used when none is given.
inline constexpr int32_t kMinVideoFps = 1, kMaxVideoFps = 1000, kDefaultVideoFps = 60;
// The constant quality of a lossy format: from 0 to the largest, lower is
// better and larger; the default is used when none is given.
struct VideoQualityRange {
  int32_t defaultQuality, maxQuality;
};
inline constexpr VideoQualityRange kMp4Quality{23, 51};   // x264's CRF
inline constexpr VideoQualityRange kWebmQuality{31, 63};  // libvpx's CRF

struct VideoSettings {
  int32_t width = 0, height = 0;   // pixels of every frame
  int32_t fps = kDefaultVideoFps;  // frames per second, kMinVideoFps..kMaxVideoFps
  int32_t quality = -1;            // negative: the format's default; .mkv takes none
};

// The open file, its encoder and the frame reused for every picture.
struct VideoWriter;
// Abandons the recording unless FinishVideo succeeded, then frees it.
struct CloseVideo {
  void operator()(VideoWriter* video) const;
};
using VideoFile = std::unique_ptr<VideoWriter, CloseVideo>;

// The format for path's extension (any letter case); false for any other.
bool FindVideoFormat(std::string_view path, VideoFormat& format);

// Checks path, opens its unnamed file and starts the encoder. On failure
// returns null with a one-line reason (an unknown extension, a size, rate or
// quality the format cannot take, a path that CheckOutput refuses, an encoder
// that will not start) and leaves no file.
VideoFile OpenVideo(const std::string& path, const VideoSettings& settings, std::string* error);
// Encodes the next frame: width * height pixels, row-major, 0x00RRGGBB as the
// drawing surface stores them. Reuses the buffers of the first frame. False
// with a reason when the encoder or the disk fails; the recording is then
// abandoned and later calls fail too.
bool AddVideoFrame(VideoWriter& video, std::span<const uint32_t> pixels, std::string* error);
// Drains the encoder and writes the index: the file is complete but not yet
// at its path. On failure returns false with a reason and abandons it.
bool FinishVideo(VideoWriter& video, std::string* error);
// Puts the finished file at its path (see CommitOutput). On failure returns
// false with a reason, and the path is as it was.
bool CommitVideo(VideoWriter& video, std::string* error);
// Stops the encoder and removes the unfinished file.
void AbandonVideo(VideoWriter& video);
// Frames added so far.
int64_t VideoFrameCount(const VideoWriter& video);

}  // namespace life3d
