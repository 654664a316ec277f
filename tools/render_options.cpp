#include "tools/render_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <utility>

#include "app/program.h"
#include "base/clock.h"
#include "draw/surface.h"
#include "media/output_file.h"
#include "media/video_writer.h"
#include "tools/key_script.h"

namespace life3d {

namespace {

// Each format's own range is the writer's to check, so its refusal names the format.
constexpr long kMaxAnyVideoQuality = std::max(kMp4Quality.maxQuality, kWebmQuality.maxQuality);

// A printf format: the numbers come from the libraries (PrintRenderUsage).
constexpr char kUsage[] =
    "Usage: life3d-render [options]\n"
    "Runs life3d's start-up and main loop without a window or a console: the\n"
    "board is seeded, the first frame drawn, then each loop pass computes one\n"
    "generation, rebuilds the scene, reads one key of --keys and draws a frame\n"
    "(with no pause between passes unless --pause).\n"
    "\n"
    "  --seed SECONDS   time of day that seeds the board, 0 <= SECONDS < %d\n"
    "                   (12:00:00.250 is 43200.25); default: now\n"
    "  --passes N       loop passes after start-up (default 0: the first frame)\n"
    "  --size WxH       desktop size in pixels (default 1920x1080)\n"
    "  --quick          leave the ground out from the first loop pass on\n"
    "  --no-center      stop centring the scene from the first loop pass on\n"
    "  --angles X,Y,Z   view angles in degrees (default -136,0,60)\n"
    "  --keys TEXT      one key per pass, in order, as if typed; after the last\n"
    "                   one no key comes (needs --passes). \\e is Esc (it ends\n"
    "                   the run before that pass's frame), \\xHH the byte HH,\n"
    "                   \\\\ a backslash, \\0 then a key the two-byte key 0 +\n"
    "                   that byte (\\0H is Up); a blank is a pass with a key\n"
    "                   that does nothing\n"
    "  --keys-file FILE the keys of --keys from FILE (- for standard input), of\n"
    "                   any length; one final line feed is not a key\n"
    "  --out FILE.png   write the last frame drawn to FILE.png; --out - writes\n"
    "                   the PNG to standard output (a pipe or a file, not a terminal)\n"
    "  --video FILE     write every frame drawn, the first one included, as a\n"
    "                   video: FILE.mp4 (H.264), FILE.webm (VP9) or FILE.mkv\n"
    "                   (FFV1, lossless: exactly the pictures --out writes);\n"
    "                   --video - streams the .mkv to standard output\n"
    "  --fps N          frames per second of the video, %d to %d (default %d)\n"
    "  --quality Q      constant quality of .mp4 (0..%d, default %d) or .webm\n"
    "                   (0..%d, default %d); lower is better and larger\n"
    "  --quiet          no progress line while a video is written\n"
    "  --pause          pause in each pass as the program does (%d ms, with the\n"
    "                   scene rebuild on a second thread meanwhile), which leaves\n"
    "                   the caches as cold as they are in a real run\n"
    "  --bench          print the median milliseconds per pass of each stage and\n"
    "                   of the whole pass, and the passes per second (default\n"
    "                   %ld passes); with --pause the whole pass counts neither\n"
    "                   the pause nor the rebuild done during it\n"
    "  --version        show the version\n"
    "  --help           show this text\n"
    "\n"
    "One of --out, --video and --bench is needed, and each option is given at\n"
    "most once. Numbers are plain decimals of any length (43200.25, -136,\n"
    "0.000001), rounded to the nearest double, or float for angles; no\n"
    "exponents. Every path is checked before the run (a folder, device, FIFO\n"
    "or socket is refused; a link is followed) and a file appears only once\n"
    "complete: a failure or a signal (SIGINT, SIGTERM, SIGHUP: status 128 + N)\n"
    "leaves none.\n"
    "\n"
    "Examples:\n"
    "  life3d-render --seed 43200.25 --passes 10 --size 960x540 --out frame.png\n"
    "  life3d-render --seed 43200.25 --passes 40 --keys 'XXXXq++' --out frame.png\n"
    "  life3d-render --seed 43200.25 --passes 600 --size 960x540 --video run.mp4\n";

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Plain decimal only: digits with an optional fraction, and a leading '-'
// where negatives make sense. No blanks, '+', hex, exponents, inf or nan, so
// a value reads the same to a person as to the program. Any number of digits:
// the value is the one nearest to the decimal (strtod and strtof round once,
// correctly, subnormals included), so 1e-320 is written 0.000...0001.
bool IsPlainDecimal(std::string_view text, bool negative) {
  if (negative && text.starts_with('-')) text.remove_prefix(1);
  const size_t dot = text.find('.');
  return IsDigits(text.substr(0, dot)) &&
         (dot == std::string_view::npos || IsDigits(text.substr(dot + 1)));
}

bool ParseDecimal(std::string_view text, double& value) {
  if (!IsPlainDecimal(text, false)) return false;
  value = std::strtod(std::string(text).c_str(), nullptr);
  return std::isfinite(value);
}

bool ParseCount(std::string_view text, long lo, long hi, long& value) {
  if (!IsDigits(text)) return false;
  errno = 0;
  value = std::strtol(std::string(text).c_str(), nullptr, 10);
  return errno == 0 && value >= lo && value <= hi;
}

struct OptionRow;
// One option's parser: takes its value (empty for a switch) into options, or
// says what it wants in error.
using ParseOption = bool (*)(const OptionRow& row, std::string_view value, RenderOptions& options,
                             std::string& error);

struct OptionRow {
  const char* name;
  bool takesValue;
  ParseOption parse;
  long lo = 0, hi = 0;  // the limits of a whole number, or of each side of a size
};

bool Refuse(std::string& error, const OptionRow& row, const std::string& wants,
            std::string_view value) {
  error = std::string(row.name) + " wants " + wants + ", not " + QuoteName(value);
  return false;
}

std::string Range(const OptionRow& row) {
  return "from " + std::to_string(row.lo) + " to " + std::to_string(row.hi);
}

bool ParseSeed(const OptionRow& row, std::string_view value, RenderOptions& o, std::string& error) {
  return (ParseDecimal(value, o.seed) && o.seed < kSecondsPerDay) ||
         Refuse(error, row,
                "seconds since midnight as a plain decimal, 0 <= SECONDS < " +
                    std::to_string(kSecondsPerDay),
                value);
}

// A whole number within the row's limits.
template <long RenderOptions::*kCount>
bool ParseWhole(const OptionRow& row, std::string_view value, RenderOptions& o,
                std::string& error) {
  return ParseCount(value, row.lo, row.hi, o.*kCount) ||
         Refuse(error, row, "a whole number " + Range(row), value);
}

bool ParseSize(const OptionRow& row, std::string_view value, RenderOptions& o, std::string& error) {
  const size_t x = value.find('x');
  long w = 0, h = 0;
  if (x == std::string_view::npos || !ParseCount(value.substr(0, x), row.lo, row.hi, w) ||
      !ParseCount(value.substr(x + 1), row.lo, row.hi, h))
    return Refuse(error, row, "WxH with each side " + Range(row), value);
  o.width = static_cast<int32_t>(w);
  o.height = static_cast<int32_t>(h);
  return true;
}

// Each angle is kept as a 32-bit float, so it is rounded to one straight from
// its decimal, and one that rounds beyond the largest float is refused.
bool ParseAngles(const OptionRow& row, std::string_view value, RenderOptions& o,
                 std::string& error) {
  float a[3];
  std::string_view rest = value;
  for (int i = 0; i < 3; ++i) {
    const size_t comma = rest.find(',');
    const std::string_view text = rest.substr(0, comma);
    if ((i == 2) != (comma == std::string_view::npos) || !IsPlainDecimal(text, true))
      return Refuse(error, row, "three plain decimals X,Y,Z in degrees", value);
    a[i] = std::strtof(std::string(text).c_str(), nullptr);
    if (!std::isfinite(a[i])) return Refuse(error, row, "angles a 32-bit float can hold", value);
    if (i < 2) rest = rest.substr(comma + 1);
  }
  o.angles = true;
  o.angleX = a[0];
  o.angleY = a[1];
  o.angleZ = a[2];
  return true;
}

// --keys and --keys-file give the same script: one of them, once.
bool TakeKeysOnce(RenderOptions& o, std::string& error) {
  if (o.keysGiven) error = "--keys and --keys-file both give the keys; give one of them";
  return !std::exchange(o.keysGiven, true);
}

bool ParseKeys(const OptionRow& row, std::string_view value, RenderOptions& o, std::string& error) {
  if (!TakeKeysOnce(o, error)) return false;
  o.keys = std::string(value);
  return CheckKeyScript(value, row.name, error);
}

template <std::string RenderOptions::*kName>
bool ParseFileName(const OptionRow& row, std::string_view value, RenderOptions& o,
                   std::string& error) {
  o.*kName = std::string(value);
  if (value.empty()) error = std::string(row.name) + " wants a file name";
  return !value.empty();
}

bool ParseKeysFile(const OptionRow& row, std::string_view value, RenderOptions& o,
                   std::string& error) {
  return TakeKeysOnce(o, error) && ParseFileName<&RenderOptions::keysFile>(row, value, o, error);
}

template <bool RenderOptions::*kSwitch>
bool SetSwitch(const OptionRow&, std::string_view, RenderOptions& o, std::string&) {
  o.*kSwitch = true;
  return true;
}

constexpr OptionRow kOptions[] = {
    {"--help", false, SetSwitch<&RenderOptions::help>},
    {"--version", false, SetSwitch<&RenderOptions::version>},
    {"--seed", true, ParseSeed},
    {"--passes", true, ParseWhole<&RenderOptions::passes>, 0, kMaxPasses},
    {"--size", true, ParseSize, 1, kMaxImageSide},
    {"--quick", false, SetSwitch<&RenderOptions::quick>},
    {"--no-center", false, SetSwitch<&RenderOptions::noCenter>},
    {"--angles", true, ParseAngles},
    {"--keys", true, ParseKeys},
    {"--keys-file", true, ParseKeysFile},
    {"--out", true, ParseFileName<&RenderOptions::out>},
    {"--video", true, ParseFileName<&RenderOptions::video>},
    {"--fps", true, ParseWhole<&RenderOptions::fps>, kMinVideoFps, kMaxVideoFps},
    {"--quality", true, ParseWhole<&RenderOptions::quality>, 0, kMaxAnyVideoQuality},
    {"--quiet", false, SetSwitch<&RenderOptions::quiet>},
    {"--pause", false, SetSwitch<&RenderOptions::pause>},
    {"--bench", false, SetSwitch<&RenderOptions::bench>},
};
constexpr size_t kOptionCount = std::size(kOptions);

// The options that do not go together, and an output to write.
bool CheckCombination(const RenderOptions& options, std::string& error) {
  if (options.help || options.version) return true;
  if (options.bench && options.passes == 0)
    error = "--bench needs at least one pass";
  else if (options.bench && options.keysGiven)
    error = "--bench times passes without keys; leave --keys and --keys-file out";
  else if (options.bench && !options.video.empty())
    error = "--bench times passes without writing them; leave --video out";
  else if (options.bench && options.out == "-")
    error = "--bench prints on standard output; give --out a file name";
  else if (options.video.empty() && (options.fps >= 0 || options.quality >= 0 || options.quiet))
    error = "--fps, --quality and --quiet are for --video";
  else if (options.out == "-" && options.video == "-")
    error = "--out - and --video - cannot share standard output";
  else if (!options.bench && options.out.empty() && options.video.empty())
    error = "nothing to write: give --out FILE.png, --video FILE or --bench";
  // Without --passes no key would be read. --passes 0 is asked for by name
  // (the first frame of a series drawn with the same keys), so it is taken.
  else if (options.keysGiven && options.passes < 0)
    error = std::string(options.keysFile.empty() ? "--keys" : "--keys-file") +
            " needs --passes N: each pass reads one key, and without it there are none";
  return error.empty();
}

}  // namespace

void PrintRenderUsage() {
  std::printf(kUsage, kSecondsPerDay, kMinVideoFps, kMaxVideoFps, kDefaultVideoFps,
              kMp4Quality.maxQuality, kMp4Quality.defaultQuality, kWebmQuality.maxQuality,
              kWebmQuality.defaultQuality, kPassPauseMilliseconds, kDefaultBenchPasses);
}

bool ParseRenderOptions(int argc, char** argv, RenderOptions& options, std::string& error) {
  bool seen[kOptionCount] = {};
  for (int k = 1; k < argc; ++k) {
    std::string_view arg = argv[k];
    std::string_view value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    if (arg == "-h") arg = "--help";
    size_t row = 0;
    while (row < kOptionCount && arg != kOptions[row].name) ++row;
    if (row == kOptionCount) {
      error = "unknown option " + QuoteName(argv[k]) + " (try --help)";
      return false;
    }
    const OptionRow& option = kOptions[row];
    if (seen[row]) {
      error = std::string(option.name) + " given twice";
      return false;
    }
    seen[row] = true;
    if (!option.takesValue && hasValue) {
      error = std::string(option.name) + " takes no value";
      return false;
    }
    if (option.takesValue && !hasValue) {
      if (k + 1 >= argc) {
        error = std::string(option.name) + " needs a value";
        return false;
      }
      value = argv[++k];
    }
    if (!option.parse(option, value, options, error)) return false;
  }
  return CheckCombination(options, error);
}

}  // namespace life3d
