// The page's side of life3d: the program's start-up and its passes, run for a
// canvas in a web browser. The browser's timer is the pass's pause: the pass
// sleeps there (Asyncify unwinds to the browser and comes back), so keys,
// painting and the page's other work happen in the pause, as on the desktop.
// The calls below are what main.js uses; each returns at once but life3d_run,
// which the page awaits.
//
// Sections: the run's state; the frame for the canvas; keys and their log;
// the pause; start-up; the loop; what the page reads.

#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/key_script.h"
#include "app/legend.h"
#include "app/life3d.h"
#include "app/program.h"
#include "base/clock.h"
#include "console/console.h"
#include "console/keys.h"
#include "console/terminal_keys.h"
#include "draw/surface.h"

namespace {

using namespace life3d;

constexpr int32_t kConsoleColumns = 22;
constexpr int32_t kConsoleRows = 16;
constexpr int32_t kMaxSide = 16384;  // the headless tool's limit too

// What life3d_start and life3d_run tell the page.
constexpr int kStarted = 0;
constexpr int kBadKeys = 1;
constexpr int kBadSize = 2;
constexpr int kBusy = 3;
constexpr int kEndedByEsc = 1;
constexpr int kPassesDone = 2;

// Keys read in a run with the pass that read them, so the page can give the
// run as a link that replays it. Fixed, so a pass never allocates; a run
// with more keys, or a key later than the last pass a link of reasonable
// length can spell out (a blank for each pass), has no link.
constexpr size_t kKeyLogCapacity = 4096;
constexpr long kScriptPassesMax = 20000;
struct LoggedKey {
  long pass = 0;  // 1 for the first loop pass
  std::array<char, 2> bytes{};
  uint8_t size = 0;
};

struct WebRun {
  std::unique_ptr<Life3D> app;
  std::unique_ptr<GraphicsWindow> window;
  std::vector<uint32_t> rgba;       // the last frame shown, as the canvas takes it: R, G, B, A
  bool framePending = false;        // the image holds a frame not shown yet
  std::vector<std::string> script;  // ?keys=, one per pass before any typed key
  size_t nextScripted = 0;
  long passLimit = -1;  // ?passes=; negative: until Esc
  long passesDone = 0;
  double passStart = 0;  // milliseconds, emscripten_get_now
  double seconds = 0;    // the seed
  std::array<LoggedKey, kKeyLogCapacity> keyLog;
  size_t keyLogSize = 0;
  bool keyLogLost = false;
  bool running = false;  // life3d_run is between passes or in a pause
  std::string text;      // the last text handed to the page
};

WebRun& TheRun() {
  static WebRun run;
  return run;
}

// The canvas wants bytes R, G, B, A; the image holds 0x00RRGGBB words.
EM_JS(void, ShowFrameOnPage, (const uint32_t* rgba, int width, int height), {
  if (Module["onFrame"]) Module["onFrame"](rgba, width, height);
});

// A finished frame waits in the image until the next pause (or the end of
// the run) puts it onto the canvas: the browser shows the canvas only once
// the pass gives it its turn, in the pause, so the frame is seen no later,
// and the copy falls within the pause's 10 ms as the desktop's hand-over to
// its window thread does. Nothing draws into the image before then.
void PresentToPage(DrawingSurface&, void* context) {
  static_cast<WebRun*>(context)->framePending = true;
}

void ShowPendingFrame(WebRun& run) {
  if (!run.framePending) return;
  run.framePending = false;
  const DrawingSurface& surface = run.window->surface;
  uint32_t* out = run.rgba.data();
  // Little-endian words: R in the low byte, opaque alpha in the high one.
  for (const uint32_t pixel : surface.image)
    *out++ = 0xFF000000u | (pixel & 0x0000FF00u) | (pixel >> 16 & 0xFFu) | (pixel & 0xFFu) << 16;
  ShowFrameOnPage(run.rgba.data(), surface.width, surface.height);
}

// The scripted keys first, one per pass, then what the page typed.
std::string ReadPageKey(void* context) {
  auto& run = *static_cast<WebRun*>(context);
  std::string key =
      run.nextScripted < run.script.size() ? run.script[run.nextScripted++] : ReadKey();
  if (key.empty() || key.size() > 2) return key;
  if (run.keyLogSize < kKeyLogCapacity && run.passesDone < kScriptPassesMax) {
    LoggedKey& entry = run.keyLog[run.keyLogSize++];
    entry.pass = run.passesDone + 1;
    entry.size = static_cast<uint8_t>(key.size());
    std::copy(key.begin(), key.end(), entry.bytes.begin());
  } else {
    run.keyLogLost = true;
  }
  return key;
}

// RunPass is called through this pointer so that it stays a function of its
// own under any optimisation: Asyncify rewrites it by its name (see
// web/CMakeLists.txt), which an inlined copy would not have.
bool (*const volatile gRunPass)(Life3D&, const PassIo&) = RunPass;

// The pause runs from the start of the pass, as the desktop's does while its
// worker rebuilds the scene: the key is read 10 ms after the generation, or
// once the rebuild is done when that takes longer. It always gives the
// browser its turn, so a slow pass cannot starve the page.
void PauseOnPage(int32_t milliseconds) {
  WebRun& run = TheRun();
  ShowPendingFrame(run);
  const double left = run.passStart + milliseconds - emscripten_get_now();
  emscripten_sleep(static_cast<unsigned>(std::max(0.0, std::ceil(left))));
}

// The page reads a copy of the console, taken again when the console has
// changed since.
ConsoleScreen& ConsoleCopy() {
  static ConsoleScreen copy;
  SnapshotConsoleIfChanged(copy);
  return copy;
}

}  // namespace

extern "C" {

// A new run: seeded from `seconds` (outside 0 <= seconds < 86400: the time
// of day), for a desktop of width x height, the first frame shown. `keys` in
// the notation of life3d-render's --keys; `passLimit` negative for a run
// until Esc. 0 when started, 1 for keys not in the notation, 2 for a size out
// of 1..16384 or a picture the browser has no memory for (no run then), 3
// while a run goes on (its pass holds the program's state).
EMSCRIPTEN_KEEPALIVE int life3d_start(double seconds, int width, int height, const char* keys,
                                      double passLimit) {
  WebRun& run = TheRun();
  if (run.running) return kBusy;
  std::vector<std::string> script;
  if (!ParseKeyScript(keys, script)) return kBadKeys;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return kBadSize;
  run.app.reset();
  run.window.reset(CreateOffscreenWindow(width, height));
  if (!run.window) return kBadSize;
  run.rgba.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  run.framePending = false;
  run.script = std::move(script);
  run.nextScripted = 0;
  run.passLimit = passLimit >= 0 ? static_cast<long>(std::min(passLimit, 1e9)) : -1;
  run.passesDone = 0;
  run.keyLogSize = 0;
  run.keyLogLost = false;
  run.seconds = seconds >= 0 && seconds < 86400 ? seconds : TimeOfDaySeconds();
  ClearKeys();

  run.app = std::make_unique<Life3D>();
  StartUp(*run.app, run.seconds, width, height);
  run.window->surface.present = PresentToPage;
  run.window->surface.presentContext = &run;
  run.app->SceneWindow = run.window.get();
  DrawSceneFrame(*run.app);
  SetConsoleSize(kConsoleColumns, kConsoleRows);
  PrintHelpPanel();
  ShowPendingFrame(run);
  return kStarted;
}

// The run's passes until Esc (1) or the pass limit (2); 3 when there is no
// run or it goes on already. Awaited by the page: every pass sleeps in its
// pause.
EMSCRIPTEN_KEEPALIVE int life3d_run() {
  WebRun& run = TheRun();
  if (!run.app || run.running) return kBusy;
  const PassIo io{PauseOnPage, ReadPageKey, &run, nullptr};
  run.running = true;
  int end = kPassesDone;
  while (run.passLimit < 0 || run.passesDone < run.passLimit) {
    run.passStart = emscripten_get_now();
    if (gRunPass(*run.app, io)) {
      end = kEndedByEsc;
      break;
    }
    ++run.passesDone;
  }
  ShowPendingFrame(run);
  run.running = false;
  return end;
}

// One key text from the page: `first`, then `second` unless it is negative.
EMSCRIPTEN_KEEPALIVE void life3d_push_key(int first, int second) {
  std::string key(1, static_cast<char>(first));
  if (second >= 0) key.push_back(static_cast<char>(second));
  PushKey(key);
}

EMSCRIPTEN_KEEPALIVE double life3d_seed() {
  return TheRun().seconds;
}
EMSCRIPTEN_KEEPALIVE double life3d_passes() {
  return static_cast<double>(TheRun().passesDone);
}

// The run so far in the notation of ?keys=: a blank for each pass that read
// no key; empty when the log could not keep them all.
EMSCRIPTEN_KEEPALIVE const char* life3d_key_script() {
  WebRun& run = TheRun();
  std::vector<std::string> keys;
  if (!run.keyLogLost && run.keyLogSize > 0) {
    keys.resize(static_cast<size_t>(run.keyLog[run.keyLogSize - 1].pass));
    for (size_t k = 0; k < run.keyLogSize; ++k) {
      const LoggedKey& entry = run.keyLog[k];
      keys[static_cast<size_t>(entry.pass - 1)].assign(entry.bytes.data(), entry.size);
    }
  }
  run.text = FormatKeyScript(keys);
  return run.text.c_str();
}
EMSCRIPTEN_KEEPALIVE int life3d_key_script_complete() {
  return TheRun().keyLogLost ? 0 : 1;
}

// The console's cells: columns x rows, row-major, two bytes each (the code
// page 437 byte, then the attribute: background << 4 | foreground). The
// version changes with every change to them.
EMSCRIPTEN_KEEPALIVE const ConsoleCell* life3d_console_cells() {
  return ConsoleCopy().cells.data();
}
EMSCRIPTEN_KEEPALIVE int life3d_console_columns() {
  return ConsoleCopy().columns;
}
EMSCRIPTEN_KEEPALIVE int life3d_console_rows() {
  return ConsoleCopy().rows;
}
EMSCRIPTEN_KEEPALIVE unsigned life3d_console_version() {
  return ConsoleCopy().version;
}

// The legend's lines: the swatch's box color (red + 256 green + 65536 blue,
// or -1 for none) and the text.
EMSCRIPTEN_KEEPALIVE int life3d_legend_lines() {
  return static_cast<int>(kLegend.size());
}
EMSCRIPTEN_KEEPALIVE int life3d_legend_swatch(int line) {
  return line >= 0 && line < life3d_legend_lines() ? kLegend[static_cast<size_t>(line)].swatch
                                                   : kNoSwatch;
}
EMSCRIPTEN_KEEPALIVE const char* life3d_legend_text(int line) {
  WebRun& run = TheRun();
  run.text = line >= 0 && line < life3d_legend_lines() ? kLegend[static_cast<size_t>(line)].text
                                                       : std::string_view();
  return run.text.c_str();
}

// Code page 437: the glyph of a byte as UTF-8, and the byte of a character
// (0 or less when the code page has none).
EMSCRIPTEN_KEEPALIVE const char* life3d_cp437_glyph(int byte) {
  WebRun& run = TheRun();
  run.text = Cp437Glyph(static_cast<uint8_t>(byte));
  return run.text.c_str();
}
EMSCRIPTEN_KEEPALIVE int life3d_cp437_byte(int codePoint) {
  return Cp437Byte(static_cast<char32_t>(codePoint));
}
// The PC scan code of the key that carries an ASCII letter, 0 for others:
// Alt+letter is the key text 0 + this code.
EMSCRIPTEN_KEEPALIVE int life3d_letter_scan_code(int letter) {
  return letter > 0 && letter < 128 ? LetterScanCode(static_cast<char>(letter)) : 0;
}

}  // extern "C"
