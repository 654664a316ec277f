// life3d-render's command line: the options, read from one table of rows
// whose limits come from the libraries (image side, frame rates, video
// qualities, the day's seconds), and the usage text, whose numbers come from
// the same constants.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace life3d {

inline constexpr long kDefaultBenchPasses = 100;  // --bench without --passes

struct RenderOptions {
  double seed = -1;  // negative: now
  long passes = -1;  // negative: not given
  int32_t width = 1920, height = 1080;
  bool quick = false, noCenter = false, bench = false, help = false, version = false;
  bool pause = false;
  bool angles = false;
  float angleX = 0, angleY = 0, angleZ = 0;
  std::vector<std::string> keys;  // key texts, one per pass
  std::string out;
  std::string video;
  long fps = -1;      // negative: not given (kDefaultVideoFps)
  long quality = -1;  // negative: the format's default
  bool quiet = false;
};

// Fills options from argv: each option at most once, its value after it or
// after '='. On a bad option or combination returns false with the reason.
bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);
// The usage text, on standard output.
void PrintRenderUsage();

}  // namespace life3d
