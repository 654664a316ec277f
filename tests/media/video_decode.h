// Test helper: decodes a video file with FFmpeg's libraries back to pictures
// of 0x00RRGGBB pixels, for comparing with the frames that went in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace life3d::testing {

struct DecodedVideo {
  std::string error;  // empty when the file decoded
  std::string codec;  // the decoder's name: "h264", "vp9", "ffv1"
  int32_t width = 0, height = 0;
  double fps = 0;
  std::vector<std::vector<uint32_t>> frames;
};

DecodedVideo DecodeVideo(const std::string& path);
// Peak signal-to-noise ratio in dB over the three colour channels; 1000 when
// the pictures are equal.
double Psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);
// The same over the pictures' luma (BT.709 weights), the measure of a lossy
// encoder that does not count what halving the colour resolution loses.
double LumaPsnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

// A fresh folder under the temporary directory, removed with all it holds.
struct ScratchFolder {
  std::filesystem::path path;
  ScratchFolder();
  ~ScratchFolder();
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  std::vector<std::string> Names() const;  // what it holds, in no order
};
}  // namespace life3d::testing
