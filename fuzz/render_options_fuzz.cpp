// Any argument list through life3d-render's option parser: the input split at
// 0 bytes into up to 32 arguments. The parser touches no file and never ends
// the process; a refusal is one line with no control byte (what the user gave
// comes quoted), and what it accepts is within the ranges the run uses.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "draw/surface.h"
#include "media/video_writer.h"
#include "tools/key_script.h"
#include "tools/render_options.h"

namespace life3d {
namespace {

constexpr size_t kMaxArgs = 32;

bool OneLine(const std::string& text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return false;
  }
  return !text.empty();
}

bool WithinRanges(const RenderOptions& o) {
  std::string error;
  const bool keys = !o.keysGiven || o.help || o.version ||
                    (o.passes >= 0 && (!o.keysFile.empty() || CheckKeyScript(o.keys, "", error)));
  return keys && (o.seed == -1 || (o.seed >= 0 && o.seed < kSecondsPerDay)) && o.passes >= -1 &&
         o.passes <= kMaxPasses && o.width >= 1 && o.width <= kMaxImageSide && o.height >= 1 &&
         o.height <= kMaxImageSide && std::isfinite(o.angleX) && std::isfinite(o.angleY) &&
         std::isfinite(o.angleZ) &&
         (o.fps == -1 || (o.fps >= kMinVideoFps && o.fps <= kMaxVideoFps)) && o.quality >= -1;
}

}  // namespace
}  // namespace life3d

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace life3d;
  std::vector<std::string> args{"life3d-render"};
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty() && args.size() <= kMaxArgs) {
    const size_t end = rest.find('\0');
    args.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  RenderOptions options;
  std::string error;
  const bool ok = ParseRenderOptions(static_cast<int>(args.size()), argv.data(), options, error);
  if (!ok && !OneLine(error)) std::abort();
  if (ok && !WithinRanges(options)) std::abort();
  const bool writes = !options.out.empty() || !options.video.empty() || options.bench;
  if (ok && !writes && !options.help && !options.version) std::abort();
  return 0;
}
