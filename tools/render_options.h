// life3d-render's command line: the options, read from one table of rows
// whose limits come from the libraries (image side, frame rates, video
// qualities, the day's seconds), and the usage text, whose numbers come from
// the same constants.
#pragma once

#include <cstdint>
#include <string>

namespace life3d {

inline constexpr long kDefaultBenchPasses = 100;  // --bench without --passes
inline constexpr long kMaxPasses = 100000000;

struct RenderOptions {
  double seed = -1;  // negative: now
  long passes = -1;  // negative: not given
  int32_t width = 1920, height = 1080;
  bool quick = false, noCenter = false, bench = false, help = false, version = false;
  bool pause = false;
  bool angles = false;
  float angleX = 0, angleY = 0, angleZ = 0;
  bool keysGiven = false;  // --keys or --keys-file
  std::string keys;        // the key script (key_script.h), checked; a file's once read
  std::string keysFile;    // --keys-file's name, "-" for standard input; read by the tool
  std::string out;
  std::string video;
  long fps = -1;      // negative: not given (kDefaultVideoFps)
  long quality = -1;  // negative: the format's default
  bool quiet = false;
};

// Fills options from argv: each option at most once, its value after it or
// after '='. On a bad option or combination returns false with a one-line
// reason that quotes what the user gave. Touches no file and never ends the
// process: --keys-file's name is kept for the tool to read.
bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error);
// The usage text, on standard output.
void PrintRenderUsage();

}  // namespace life3d
