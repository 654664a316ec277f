// The terminal side of the console: raw key input and the console's cells
// drawn at the terminal's top-left, with everything put back at the end.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "console/console.h"
#include "console/keys.h"
#include "console/terminal_keys.h"
#include "desktop/terminal.h"
#include "desktop/terminal_caps.h"

namespace life3d {
namespace {

using Clock = std::chrono::steady_clock;

// ---- State read by the signal handlers: plain data, set before `active` ----

std::atomic<bool> active{false};       // the terminal is taken and must be given back
std::atomic<bool> rawNow{false};       // raw mode and the console's screen are on now
std::atomic<bool> sentResize{false};   // the window size was changed
std::atomic<bool> sentMove{false};     // the window was moved
std::atomic<bool> sizeChanged{false};  // SIGWINCH came: draw everything again
int inFd = -1, outFd = -1;
bool drawing = false;  // outFd is a terminal that places the cursor: the console is shown there
termios savedModes{};
termios rawModes{};

// Text that a handler may write while the main thread changes it: the main
// thread sets the length to 0, rewrites the bytes, then stores the length.
struct SignalText {
  char bytes[64];
  std::atomic<size_t> length{0};
  void Set(const char* format, int32_t a, int32_t b) {
    length.store(0);
    const int n = std::snprintf(bytes, sizeof bytes, format, a, b);
    length.store(n > 0 ? std::min(static_cast<size_t>(n), sizeof bytes - 1) : 0);
  }
};

// What puts the screen back: attributes off, autowrap and cursor back on, the
// normal screen (which brings back what the shell showed and its cursor).
constexpr char kRestoreText[] = "\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l";
// The window's size and place before the run, asked for when the run begins
// (xterm's window reports) and given back when it ends or stops; the size
// falls back to what the terminal's driver knew, the place to none.
SignalText restoreSize, restorePosition;
bool sizeReported = false, positionReported = false;
// What takes the screen again after a stop: the alternate screen, autowrap
// off, cleared; then the window size and place the console asked for.
constexpr char kEnterText[] = "\x1b[?1049h\x1b[?7l\x1b[0m\x1b[2J\x1b[H";
// Asked once, at the start: a terminal answers in order, so the answers
// describe the window before any request of the console changes it.
constexpr char kAskWindowText[] = "\x1b[13t\x1b[18t";
SignalText resizeText, moveText;

// Text the terminal shows below the console's rows (the window closed, say).
char noteText[96];
size_t noteLength = 0;

constexpr int kHandledSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGABRT,
                                   SIGSEGV, SIGBUS, SIGFPE, SIGILL};
// Job control: restore, stop, and take the terminal again when continued.
constexpr int kStopSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

// Only async-signal-safe calls: it also runs inside signal handlers.
void WriteAll(int fd, const char* text, size_t length) {
  int retries = 0;
  while (length > 0) {
    const ssize_t n = write(fd, text, length);
    if (n > 0) {
      text += n;
      length -= static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN && ++retries < 1000) {
      continue;  // a descriptor someone made non-blocking: a bounded retry
    } else {
      return;  // the terminal is gone; nothing more to do
    }
  }
}

// The helpers below are async-signal-safe: termios calls and writes of
// prepared text only.

void WriteText(const SignalText& text) {
  WriteAll(outFd, text.bytes, text.length.load());
}

// The shell's settings and screen back, the window's size and place too.
void LeaveScreen() {
  tcsetattr(inFd, TCSANOW, &savedModes);
  if (drawing) {
    WriteAll(outFd, kRestoreText, sizeof kRestoreText - 1);
    if (sentResize.load()) WriteText(restoreSize);
    if (sentMove.load()) WriteText(restorePosition);
  }
}

// Raw mode and the console's screen again; the next key poll redraws it.
void EnterScreen() {
  tcsetattr(inFd, TCSANOW, &rawModes);
  if (drawing) {
    WriteAll(outFd, kEnterText, sizeof kEnterText - 1);
    if (sentResize.load()) WriteText(resizeText);
    if (sentMove.load()) WriteText(moveText);
  }
  sizeChanged.store(true);
}

// A terminal that is not the controlling one has no foreground to check.
bool InForeground() {
  const pid_t foreground = tcgetpgrp(inFd);
  return foreground == -1 || foreground == getpgrp();
}

void RestoreNow() {
  if (!active.exchange(false)) return;
  if (rawNow.exchange(false)) LeaveScreen();
}

void OnEndSignal(int sig) {
  const int savedErrno = errno;
  RestoreNow();
  // End the way the signal would have: the parent sees the same status.
  signal(sig, SIG_DFL);
  raise(sig);
  errno = savedErrno;
}

void OnStopSignal(int sig);

void InstallStopHandler(int sig) {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(sig, &action, nullptr);
}

// Stops the way the signal would have, with the shell's terminal given back
// first: the shell's prompt must not come up in raw mode on the console.
void OnStopSignal(int sig) {
  const int savedErrno = errno;
  // From the background the terminal cannot be set (that would stop the run
  // once more); it is the shell's there anyway.
  if (active.load() && rawNow.exchange(false) && InForeground()) LeaveScreen();
  signal(sig, SIG_DFL);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, sig);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(sig);  // the process stops here until SIGCONT
  InstallStopHandler(sig);
  errno = savedErrno;
}

// Continued: after a stop signal above, or after SIGSTOP, which cannot be
// caught, so the shell may have put its own settings back meanwhile. Only a
// run in the foreground takes the terminal again; one continued in the
// background (`bg`) leaves it to the shell and stops at its next key poll.
void OnContinueSignal(int) {
  const int savedErrno = errno;
  if (!active.load()) return;
  if (InForeground()) {
    EnterScreen();
    rawNow.store(true);
  } else {
    rawNow.store(false);
  }
  errno = savedErrno;
}

void OnSizeSignal(int) {
  sizeChanged.store(true);
}

// ---- Output, built in a fixed buffer (no heap while the program runs) ----

struct Output {
  char text[8192];
  size_t length = 0;
  void Flush() {
    WriteAll(outFd, text, length);
    length = 0;
  }
  void Add(const char* bytes, size_t count) {
    if (length + count > sizeof text) Flush();
    if (count > sizeof text) {
      WriteAll(outFd, bytes, count);
      return;
    }
    std::memcpy(text + length, bytes, count);
    length += count;
  }
  void Add(std::string_view s) { Add(s.data(), s.size()); }
  template <typename... Args>
  void Format(const char* format, Args... args) {
    char piece[64];
    const int n = std::snprintf(piece, sizeof piece, format, args...);
    if (n > 0) Add(piece, std::min(static_cast<size_t>(n), sizeof piece - 1));
  }
};

Output output;

// Last picture sent, to send only the rows that changed.
struct Shown {
  ConsoleScreen screen;  // cells, size and cursor as last drawn
  bool valid = false;    // false: the terminal must be cleared and redrawn
};

Shown shown;
ConsoleScreen snapshot;  // reused copy of the console (SnapshotConsole)

// Select Graphic Rendition for a console attribute (background << 4 |
// foreground, PC color order) in ANSI colors.
void AddAttribute(uint8_t attr) {
  static constexpr int kAnsiOfPc[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  const int fg = attr & 0x0F, bg = (attr >> 4) & 0x0F;
  output.Format("\x1b[0;%d;%dm", (fg >= 8 ? 90 : 30) + kAnsiOfPc[fg & 7],
                (bg >= 8 ? 100 : 40) + kAnsiOfPc[bg & 7]);
}

// The note's lines from the row below the console's on, as far as the
// terminal has rows: a line sent below its last row would overwrite that row.
void AddNote(int32_t consoleRows) {
  if (noteLength == 0) return;
  winsize window{};
  const int32_t terminalRows = ioctl(outFd, TIOCGWINSZ, &window) == 0 ? window.ws_row : 0;
  output.Add("\x1b[0m");
  std::string_view rest(noteText, noteLength);
  for (int32_t row = consoleRows + 1; !rest.empty() && row <= terminalRows; ++row) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    output.Format("\x1b[%d;1H", row);
    output.Add(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
}

void ShowConsole() {
  if (!rawNow.load() || !drawing) return;
  SnapshotConsole(snapshot);
  if (snapshot.columns != shown.screen.columns || snapshot.rows != shown.screen.rows) {
    shown.valid = false;
  }
  if (sizeChanged.exchange(false)) shown.valid = false;
  if (!shown.valid) output.Add("\x1b[0m\x1b[2J");
  int lastAttr = -1;
  for (int y = 0; y < snapshot.rows; ++y) {
    const ConsoleCell* row = &snapshot.cells[static_cast<size_t>(y) * snapshot.columns];
    if (shown.valid &&
        std::memcmp(row, &shown.screen.cells[static_cast<size_t>(y) * snapshot.columns],
                    sizeof(ConsoleCell) * snapshot.columns) == 0) {
      continue;
    }
    output.Format("\x1b[%d;1H", y + 1);
    for (int x = 0; x < snapshot.columns; ++x) {
      if (row[x].attr != lastAttr) {
        lastAttr = row[x].attr;
        AddAttribute(row[x].attr);
      }
      // Every byte is shown as its glyph: a control byte sent raw would act
      // on the terminal instead of showing.
      output.Add(Cp437Glyph(row[x].ch));
    }
  }
  if (!shown.valid) AddNote(snapshot.rows);
  output.Format("\x1b[%d;%dH", snapshot.cursorY + 1, snapshot.cursorX + 1);
  output.Flush();
  std::swap(shown.screen, snapshot);
  shown.valid = true;
}

// Kept for a resume after a stop, which asks for the size and place again.
void ResizeWindow(int32_t columns, int32_t rows) {
  if (!rawNow.load() || !drawing) return;
  resizeText.Set("\x1b[8;%d;%dt", rows, columns);
  sentResize.store(true);
  output.Add(resizeText.bytes, resizeText.length.load());
  output.Flush();
  shown.valid = false;
}

void MoveWindow(int32_t x, int32_t y) {
  if (!rawNow.load() || !drawing) return;
  moveText.Set("\x1b[3;%d;%dt", x, y);
  sentMove.store(true);
  output.Add(moveText.bytes, moveText.length.load());
  output.Flush();
}

void RaiseWindow() {
  if (!rawNow.load() || !drawing) return;
  output.Add("\x1b[5t");
  output.Flush();
}

// ---- Keys ----

KeyDecoder decoder;
Clock::time_point lastByte;

void PushDecodedKey(std::string_view key, void*) {
  PushKey(key);
}

void KeepWindowReports() {
  if (decoder.textSize.seen && !sizeReported) {
    sizeReported = true;
    restoreSize.Set("\x1b[8;%d;%dt", decoder.textSize.first, decoder.textSize.second);
  }
  if (decoder.position.seen && !positionReported) {
    positionReported = true;
    restorePosition.Set("\x1b[3;%d;%dt", decoder.position.first, decoder.position.second);
  }
}

void PollTerminalKeys() {
  if (!active.load()) return;
  if (!rawNow.load()) {
    // Continued in the background (`bg`): stop, as a read there would. A
    // running job brought to the foreground gets no signal, so only `fg` of
    // a stopped job (SIGCONT) can give the terminal back in raw mode.
    if (!InForeground()) raise(SIGTTIN);
    return;
  }
  if (sizeChanged.load() && drawing) ShowConsole();
  uint8_t bytes[256];
  for (int reads = 0; reads < 16; ++reads) {
    const ssize_t n = read(inFd, bytes, sizeof bytes);
    if (n <= 0) break;  // nothing waiting (raw mode with no minimum), or gone
    FeedKeyBytes(decoder, std::string_view(reinterpret_cast<const char*>(bytes), n), PushDecodedKey,
                 nullptr);
    KeepWindowReports();
    lastByte = Clock::now();
    if (static_cast<size_t>(n) < sizeof bytes) break;
  }
  // A lone ESC is the Esc key only once no sequence followed it in time.
  if (KeyDecoderWaiting(decoder) &&
      Clock::now() - lastByte >= std::chrono::milliseconds(kKeyFlushMilliseconds)) {
    FlushKeyBytes(decoder, PushDecodedKey, nullptr);
  }
}

void InstallHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(RestoreTerminal);
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : kHandledSignals) sigaction(sig, &action, nullptr);
  struct sigaction size {};
  size.sa_handler = OnSizeSignal;
  size.sa_flags = SA_RESTART;
  sigemptyset(&size.sa_mask);
  sigaction(SIGWINCH, &size, nullptr);
  for (int sig : kStopSignals) InstallStopHandler(sig);
  struct sigaction resume {};
  resume.sa_handler = OnContinueSignal;
  resume.sa_flags = SA_RESTART;
  sigemptyset(&resume.sa_mask);
  sigaction(SIGCONT, &resume, nullptr);
}

}  // namespace

bool StartTerminalOn(int in, int out) {
  if (active.load()) return true;
  if (!isatty(in) || tcgetattr(in, &savedModes) != 0) return false;
  // A background job (`life3d &`) would be stopped by the terminal at its
  // first change of the settings; such a run takes its keys in the window.
  // A terminal that is not the controlling one has no foreground to check.
  const pid_t foreground = tcgetpgrp(in);
  if (foreground != -1 && foreground != getpgrp()) return false;
  inFd = in;
  outFd = out;
  // A terminal that cannot place the cursor (TERM=dumb) would show the
  // escape sequences as text: the console is then only in the window.
  drawing = isatty(out) != 0 && CanPlaceCursor(std::getenv("TERM"), out);
  winsize window{};
  if (drawing && ioctl(out, TIOCGWINSZ, &window) == 0 && window.ws_row > 0) {
    restoreSize.Set("\x1b[8;%d;%dt", window.ws_row, window.ws_col);
  } else {
    restoreSize.length.store(0);
  }
  restorePosition.length.store(0);
  sizeReported = positionReported = false;
  noteLength = 0;
  sentResize.store(false);
  sentMove.store(false);
  sizeChanged.store(false);
  decoder = KeyDecoder{};
  shown = Shown{};

  InstallHandlers();

  // No echo, no line editing, no signal or flow-control keys (Ctrl+C, Ctrl+Z,
  // Ctrl+S arrive as keys), no CR/LF translation, and reads that never wait.
  termios raw = savedModes;
  raw.c_iflag &= ~(BRKINT | ICRNL | INLCR | IGNCR | ISTRIP | IXON | IXOFF | INPCK | PARMRK);
  raw.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  raw.c_cflag &= ~(CSIZE | PARENB);
  raw.c_cflag |= CS8;
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  rawModes = raw;
  active.store(true);
  rawNow.store(true);
  if (tcsetattr(in, TCSANOW, &raw) != 0) {
    rawNow.store(false);
    active.store(false);
    return false;
  }
  if (drawing) {
    // The alternate screen keeps the shell's screen for the end; autowrap
    // off so a row that fills a narrow terminal cannot scroll it.
    output.Add(kEnterText);
    output.Add(kAskWindowText);
    output.Flush();
  }
  ConsoleDisplay display;
  display.showScreen = ShowConsole;
  display.resizeWindow = ResizeWindow;
  display.moveWindow = MoveWindow;
  display.raiseWindow = RaiseWindow;
  SetConsoleDisplay(display);
  SetKeySource(PollTerminalKeys);
  return true;
}

bool StartTerminal() {
  return StartTerminalOn(STDIN_FILENO, STDOUT_FILENO);
}

void ShowBelowConsole(std::string_view text) {
  if (!active.load()) return;
  noteLength = std::min(text.size(), sizeof noteText);
  std::memcpy(noteText, text.data(), noteLength);
  if (!drawing) return;
  int32_t lines = 1, widest = 0;
  for (size_t start = 0, end; start <= text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    widest = std::max(widest, static_cast<int32_t>(end - start));
    if (end < text.size()) ++lines;
  }
  SnapshotConsole(snapshot);
  // A window the console shrank grows by the note's rows, so it shows.
  if (sentResize.load()) {
    ResizeWindow(std::max(snapshot.columns, widest), snapshot.rows + lines);
  }
  shown.valid = false;
  ShowConsole();
}

bool HasTerminal() {
  return active.load();
}

void RestoreTerminal() {
  if (!active.load()) return;
  SetKeySource(nullptr);
  SetConsoleDisplay(ConsoleDisplay{});
  RestoreNow();
}

void RestoreTerminalAtOnce() {
  RestoreNow();
}

void OpenMissingStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is the closed one.
    const int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      dup2(null, fd);
      close(null);
    }
  }
}

}  // namespace life3d
