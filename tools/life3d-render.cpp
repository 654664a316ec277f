// life3d-render: runs the program's start-up and main loop without a window or
// a console and writes the last frame as a PNG, or times the stages of a pass.

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/life3d.h"
#include "app/program.h"
#include "platform/png_writer.h"
#include "platform/random.h"
#include "platform/surface.h"
#include "render/frame.h"

namespace {

constexpr char kUsage[] =
    "Usage: life3d-render [options]\n"
    "Runs life3d's start-up and main loop without a window or a console: the\n"
    "board is seeded, the first frame drawn, then each loop pass computes one\n"
    "generation, rebuilds the scene and draws a frame (no key is ever read and\n"
    "there is no pause between passes).\n"
    "\n"
    "  --seed SECONDS   time of day that seeds the board, 0 <= SECONDS < 86400\n"
    "                   (12:00:00.250 is 43200.25); default: now\n"
    "  --passes N       loop passes after start-up (default 0: the first frame)\n"
    "  --size WxH       desktop size in pixels (default 1920x1080)\n"
    "  --quick          leave the ground out from the first loop pass on\n"
    "  --no-center      stop centring the scene from the first loop pass on\n"
    "  --angles X,Y,Z   view angles in degrees (default -136,0,60)\n"
    "  --out FILE.png   write the last frame drawn to FILE.png\n"
    "  --bench          print the median milliseconds per pass of each stage\n"
    "                   (default 100 passes)\n"
    "  --help           show this text\n"
    "\n"
    "Example: life3d-render --seed 43200.25 --passes 10 --size 960x540 --out frame.png\n";

struct Options {
  double seed = -1;  // negative: now
  long passes = -1;  // negative: not given
  int32_t width = 1920, height = 1080;
  bool quick = false, noCenter = false, bench = false, help = false;
  bool angles = false;
  float angleX = 0, angleY = 0, angleZ = 0;
  std::string out;
};

bool ParseDouble(std::string_view text, double& value) {
  const std::string s(text);
  if (s.empty() || s.find_first_of(" \t\n") != std::string::npos) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(s.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool ParseCount(std::string_view text, long lo, long hi, long& value) {
  const std::string s(text);
  if (s.empty() || s.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  value = std::strtol(s.c_str(), nullptr, 10);
  return errno == 0 && value >= lo && value <= hi;
}

// Fills options from argv; on a bad option returns false with the reason.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  for (int k = 1; k < argc; ++k) {
    std::string_view arg = argv[k];
    std::string_view value;
    bool hasValue = false;
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    auto needValue = [&]() -> bool {
      if (hasValue) return true;
      if (k + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      value = argv[++k];
      return true;
    };
    auto noValue = [&]() -> bool {
      if (hasValue) error = std::string(arg) + " takes no value";
      return !hasValue;
    };

    if (arg == "--help" || arg == "-h") {
      if (!noValue()) return false;
      options.help = true;
    } else if (arg == "--quick") {
      if (!noValue()) return false;
      options.quick = true;
    } else if (arg == "--no-center") {
      if (!noValue()) return false;
      options.noCenter = true;
    } else if (arg == "--bench") {
      if (!noValue()) return false;
      options.bench = true;
    } else if (arg == "--seed") {
      if (!needValue()) return false;
      if (!ParseDouble(value, options.seed) || options.seed < 0 || options.seed >= 86400) {
        error = "--seed wants seconds since midnight, 0 <= SECONDS < 86400, not '" +
                std::string(value) + "'";
        return false;
      }
    } else if (arg == "--passes") {
      if (!needValue()) return false;
      if (!ParseCount(value, 0, 100000000, options.passes)) {
        error =
            "--passes wants a whole number from 0 to 100000000, not '" + std::string(value) + "'";
        return false;
      }
    } else if (arg == "--size") {
      if (!needValue()) return false;
      const size_t x = value.find('x');
      long w = 0, h = 0;
      if (x == std::string_view::npos || !ParseCount(value.substr(0, x), 1, 16384, w) ||
          !ParseCount(value.substr(x + 1), 1, 16384, h)) {
        error = "--size wants WxH with each side from 1 to 16384, not '" + std::string(value) + "'";
        return false;
      }
      options.width = static_cast<int32_t>(w);
      options.height = static_cast<int32_t>(h);
    } else if (arg == "--angles") {
      if (!needValue()) return false;
      double a[3];
      std::string_view rest = value;
      bool ok = true;
      for (int i = 0; i < 3 && ok; ++i) {
        const size_t comma = rest.find(',');
        const bool last = i == 2;
        if (last != (comma == std::string_view::npos)) ok = false;
        ok = ok && ParseDouble(rest.substr(0, comma), a[i]);
        if (!last && ok) rest = rest.substr(comma + 1);
      }
      if (!ok) {
        error = "--angles wants three numbers X,Y,Z in degrees, not '" + std::string(value) + "'";
        return false;
      }
      options.angles = true;
      options.angleX = static_cast<float>(a[0]);
      options.angleY = static_cast<float>(a[1]);
      options.angleZ = static_cast<float>(a[2]);
    } else if (arg == "--out") {
      if (!needValue()) return false;
      if (value.empty()) {
        error = "--out wants a file name";
        return false;
      }
      options.out = std::string(value);
    } else {
      error = "unknown option '" + std::string(argv[k]) + "' (try --help)";
      return false;
    }
  }
  if (options.bench && options.passes == 0) {
    error = "--bench needs at least one pass";
    return false;
  }
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace life3d;
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const long passes = options.passes >= 0 ? options.passes : (options.bench ? 100 : 0);
  const double seconds = options.seed >= 0 ? options.seed : TimeOfDaySeconds();

  auto app = std::make_unique<Life3D>();
  StartUp(*app, seconds, options.width, options.height);
  std::unique_ptr<GraphicsWindow> window(CreateOffscreenWindow(options.width, options.height));
  if (!window) {
    std::fprintf(stderr, "life3d-render: cannot make a %dx%d image\n", options.width,
                 options.height);
    return 1;
  }
  app->SceneWindow = window.get();
  if (options.angles) {
    app->Temp_Mouse_x = options.angleX;
    app->Temp_Mouse_y = options.angleY;
    app->Temp_Mouse_z = options.angleZ;
  }
  DrawSceneFrame(*app);
  // The switches act from the first pass's rebuild on, one pass earlier than
  // a key could (a key is read after the rebuild); the first frame still
  // shows the start-up scene.
  if (options.quick) app->Quick = 1;
  if (options.noCenter) app->AutoCenter = 1;

  std::vector<double> generation, rebuild, clear, rotateProject, order, fill, whole;
  if (options.bench) {
    for (auto* v : {&generation, &rebuild, &clear, &rotateProject, &order, &fill, &whole})
      v->reserve(static_cast<size_t>(std::min(passes, 100000L)));  // grows beyond, if ever
  }
  for (long pass = 0; pass < passes; ++pass) {
    if (!options.bench) {
      AdvanceGeneration(*app);
      DrawSceneFrame(*app);
      continue;
    }
    PassTimes passTimes;
    FrameTimes frameTimes;
    AdvanceGeneration(*app, &passTimes);
    DrawSceneFrame(*app, &frameTimes);
    generation.push_back(passTimes.generation);
    rebuild.push_back(passTimes.rebuild);
    clear.push_back(frameTimes.clear);
    rotateProject.push_back(frameTimes.rotateProject);
    order.push_back(frameTimes.order);
    fill.push_back(frameTimes.fill);
    whole.push_back(frameTimes.whole);
  }

  if (options.bench) {
    std::printf("life3d-render: %dx%d, seed %.3f, %ld passes, %d faces in the last scene\n",
                options.width, options.height, seconds, passes, app->mesh.FaceCount);
    std::printf("median ms per pass\n");
    std::printf("  generation      %8.3f\n", Median(generation));
    std::printf("  scene rebuild   %8.3f\n", Median(rebuild));
    std::printf("  clear           %8.3f\n", Median(clear));
    std::printf("  rotate+project  %8.3f\n", Median(rotateProject));
    std::printf("  order           %8.3f\n", Median(order));
    std::printf("  fill            %8.3f\n", Median(fill));
    std::printf("  whole frame     %8.3f\n", Median(whole));
  }
  if (!options.out.empty() && !WritePng(window->surface, options.out, &error)) {
    std::fprintf(stderr, "life3d-render: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
