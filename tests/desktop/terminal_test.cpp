// The terminal layer on a pseudo-terminal: raw mode, keys into the queue,
// the console drawn as printable text, and the settings put back however
// the program ends.
#include "desktop/terminal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "console/console.h"
#include "console/keys.h"
#include "console/terminal_keys.h"

namespace life3d {
namespace {

using namespace std::chrono_literals;

// A pseudo-terminal pair; the test plays the user's terminal on `master`.
struct Pty {
  int master = -1, slave = -1;
  termios original{};
  Pty() {
    winsize size{};
    size.ws_row = 40;
    size.ws_col = 100;
    if (openpty(&master, &slave, nullptr, nullptr, &size) == 0) {
      fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
      tcgetattr(slave, &original);
    }
  }
  ~Pty() {
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
  }
  // Everything the program wrote so far (a bounded wait for it to arrive).
  std::string Drain() {
    std::string text;
    for (int idle = 0; idle < 20; ++idle) {
      char buffer[4096];
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) {
        text.append(buffer, n);
        idle = 0;
      } else {
        std::this_thread::sleep_for(2ms);
      }
    }
    return text;
  }
  void Type(const std::string& bytes) const {
    ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
};

bool SameModes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The next key, waiting a bounded time for the typed bytes to come through.
std::string NextKey() {
  const auto end = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < end) {
    std::string key = ReadKey();
    if (!key.empty()) return key;
    std::this_thread::sleep_for(1ms);
  }
  return "(none)";
}

class TerminalTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(pty.master, 0) << "no pseudo-terminal";
    ClearKeys();
  }
  void TearDown() override {
    RestoreTerminal();
    ClearKeys();
  }
  Pty pty;
};

TEST_F(TerminalTest, NoTerminalOnAPipe) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  EXPECT_FALSE(StartTerminalOn(fds[0], fds[1]));
  EXPECT_FALSE(HasTerminal());
  close(fds[0]);
  close(fds[1]);
}

TEST_F(TerminalTest, RawModeWhileRunningAndOriginalModesAfter) {
  ASSERT_TRUE(StartTerminalOn(pty.slave, pty.slave));
  EXPECT_TRUE(HasTerminal());
  termios modes{};
  tcgetattr(pty.slave, &modes);
  EXPECT_EQ(modes.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(modes.c_iflag & (IXON | ICRNL), 0u);
  EXPECT_EQ(modes.c_cc[VMIN], 0);
  RestoreTerminal();
  EXPECT_FALSE(HasTerminal());
  tcgetattr(pty.slave, &modes);
  EXPECT_TRUE(SameModes(modes, pty.original));
  EXPECT_NE(pty.Drain().find("\x1b[?1049l"), std::string::npos) << "normal screen not restored";
  pty.Type("q");
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ReadKey(), "") << "keys read after the restore";
}

TEST_F(TerminalTest, TypedBytesBecomeKeysInOrder) {
  ASSERT_TRUE(StartTerminalOn(pty.slave, pty.slave));
  pty.Type("x\x1b[A\x03\x1bOP\x1bq+");
  const std::string expect[] = {
      "x", std::string{'\0', 72}, "\x03", std::string{'\0', 59}, std::string{'\0', 16}, "+"};
  for (const std::string& key : expect) EXPECT_EQ(NextKey(), key);
  EXPECT_EQ(ReadKey(), "");
}

TEST_F(TerminalTest, LoneEscBecomesEscOnceNothingFollows) {
  ASSERT_TRUE(StartTerminalOn(pty.slave, pty.slave));
  pty.Type("\x1b");
  EXPECT_EQ(NextKey(), "\x1b");
}

TEST_F(TerminalTest, EscTypedAtAFullQueueStillArrivesLast) {
  ASSERT_TRUE(StartTerminalOn(pty.slave, pty.slave));
  pty.Type(std::string(1000, 'a') + "\x1b");
  std::this_thread::sleep_for(30ms);
  // The first read takes every byte waiting: the queue fills with 'a's and
  // the lone ESC waits to be known as Esc; a window key fills the gap the
  // read left, so the Esc comes out of its wait at a full queue.
  EXPECT_EQ(ReadKey(), "a");
  PushKey("w");
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * kKeyFlushMilliseconds));
  for (int k = 1; k < kKeyQueueCapacity; ++k) ASSERT_EQ(ReadKey(), "a") << k;
  EXPECT_EQ(ReadKey(), "\x1b");
  EXPECT_EQ(ReadKey(), "");
}

TEST_F(TerminalTest, ConsoleIsDrawnAsPrintableTextWithWindowRequests) {
  ASSERT_TRUE(StartTerminalOn(pty.slave, pty.slave));
  pty.Drain();
  SetConsoleSize(22, 16);
  SetConsoleWindowPos(0, 40);
  FocusConsole();
  PrintText(std::string("\x01go\x1b[2J\n\0", 10));
  PrintNewline();
  const std::string out = pty.Drain();
  EXPECT_NE(out.find("\x1b[8;16;22t"), std::string::npos) << "resize request";
  EXPECT_NE(out.find("\x1b[3;0;40t"), std::string::npos) << "move request";
  EXPECT_NE(out.find("\x1b[5t"), std::string::npos) << "raise request";
  // The stored control bytes show as glyphs: smiling face, left arrow,
  // inverse circle, blank.
  EXPECT_NE(out.find("\u263ago\u2190[2J\u25d9 "), std::string::npos);
  // Only escape sequences of the program's own start with a control byte.
  for (char c : out) {
    const auto u = static_cast<unsigned char>(c);
    EXPECT_TRUE(u >= 0x20 || u == 0x1b) << "raw control byte " << int(u) << " sent";
  }
  const std::string cursorHome = "\x1b[2;1H";  // the console cursor: column 1 of row 2
  EXPECT_EQ(out.substr(out.size() - std::min(out.size(), cursorHome.size())), cursorHome);
  RestoreTerminal();
  EXPECT_NE(pty.Drain().find("\x1b[8;40;100t"), std::string::npos) << "window size not given back";
}

// The size and place the terminal reports when asked at the start are what
// the end gives back; without reports, the size its driver knew and no move.
struct GiveBackCase {
  const char* name;
  std::string answers;              // what the terminal sends back to the requests
  bool moved;                       // the console moved the window
  std::string sizeBack, placeBack;  // expected after the run; empty: not sent
};

class TerminalGiveBackTest : public TerminalTest,
                             public testing::WithParamInterface<GiveBackCase> {};

TEST_P(TerminalGiveBackTest, GivesBackTheSizeAndPlaceItHadBeforeTheRun) {
  const GiveBackCase& c = GetParam();
  ASSERT_TRUE(StartTerminalOn(pty.slave, pty.slave));
  EXPECT_NE(pty.Drain().find("\x1b[13t\x1b[18t"), std::string::npos) << "window reports asked";
  pty.Type(c.answers + "q");
  EXPECT_EQ(NextKey(), "q") << "the answers are no keys";
  SetConsoleSize(22, 16);
  if (c.moved) SetConsoleWindowPos(0, 40);
  pty.Drain();
  RestoreTerminal();
  const std::string out = pty.Drain();
  const size_t normalScreen = out.find("\x1b[?1049l");
  ASSERT_NE(normalScreen, std::string::npos);
  const std::string after = out.substr(normalScreen);
  EXPECT_NE(after.find(c.sizeBack), std::string::npos) << after;
  if (c.placeBack.empty()) {
    EXPECT_EQ(after.find("\x1b[3;"), std::string::npos) << "a move nobody can undo";
  } else {
    EXPECT_NE(after.find(c.placeBack), std::string::npos) << after;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, TerminalGiveBackTest,
    testing::Values(GiveBackCase{"Reported", "\x1b[3;300;200t\x1b[8;24;80t", true, "\x1b[8;24;80t",
                                 "\x1b[3;300;200t"},
                    GiveBackCase{"NotMovedIsNotMovedBack", "\x1b[3;300;200t\x1b[8;24;80t", false,
                                 "\x1b[8;24;80t", ""},
                    GiveBackCase{"NoReportsGivesTheDriversSize", "", true, "\x1b[8;40;100t", ""}),
    [](const testing::TestParamInfo<GiveBackCase>& info) { return std::string(info.param.name); });

// The note goes below the console's rows, only onto rows the terminal has,
// and the window the console shrank is asked to grow for it.
struct NoteCase {
  const char* name;
  unsigned short terminalRows;
  bool first, second;  // which of the note's two lines are drawn
};

class TerminalNoteTest : public TerminalTest, public testing::WithParamInterface<NoteCase> {};

TEST_P(TerminalNoteTest, ShowsTheNoteBelowTheConsoleWhereThereAreRows) {
  const NoteCase& c = GetParam();
  winsize size{};
  size.ws_row = c.terminalRows;
  size.ws_col = 100;
  ASSERT_EQ(ioctl(pty.master, TIOCSWINSZ, &size), 0);
  ASSERT_TRUE(StartTerminalOn(pty.slave, pty.slave));
  SetConsoleSize(22, 16);
  PrintText("help");
  pty.Drain();
  ShowBelowConsole("first line;\nsecond line");
  const std::string out = pty.Drain();
  EXPECT_NE(out.find("\x1b[8;18;22t"), std::string::npos) << "grow request";
  EXPECT_EQ(out.find("\x1b[17;1Hfirst line;") != std::string::npos, c.first) << out;
  EXPECT_EQ(out.find("\x1b[18;1Hsecond line") != std::string::npos, c.second) << out;
  EXPECT_NE(out.find("help"), std::string::npos) << "the console is drawn again";
}

INSTANTIATE_TEST_SUITE_P(Terminal, TerminalNoteTest,
                         testing::Values(NoteCase{"RoomForBoth", 40, true, true},
                                         NoteCase{"RoomForOne", 17, true, false},
                                         NoteCase{"NoRoom", 16, false, false}),
                         [](const testing::TestParamInfo<NoteCase>& info) {
                           return std::string(info.param.name);
                         });

// What a terminal that cannot place the cursor gets: keys, and not one
// escape sequence.
struct TermCase {
  const char* name;
  const char* term;  // nullptr: TERM unset
  bool draws;
};

class TerminalTermTest : public TerminalTest, public testing::WithParamInterface<TermCase> {};

TEST_P(TerminalTermTest, DrawsOnlyWhereTheCursorCanBePlaced) {
  const char* saved = std::getenv("TERM");
  const std::string before = saved ? saved : "";
  if (GetParam().term)
    setenv("TERM", GetParam().term, 1);
  else
    unsetenv("TERM");
  const bool started = StartTerminalOn(pty.slave, pty.slave);
  if (saved)
    setenv("TERM", before.c_str(), 1);
  else
    unsetenv("TERM");
  ASSERT_TRUE(started);
  SetConsoleSize(22, 16);
  PrintText("shown");
  pty.Type("k");
  EXPECT_EQ(NextKey(), "k");
  RestoreTerminal();
  const std::string out = pty.Drain();
  EXPECT_EQ(out.find("shown") != std::string::npos, GetParam().draws);
  if (!GetParam().draws) {
    EXPECT_EQ(out, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Terminal, TerminalTermTest,
                         testing::Values(TermCase{"Xterm", "xterm-256color", true},
                                         TermCase{"LinuxConsole", "linux", true},
                                         TermCase{"UnknownToTerminfo", "no-such-term", true},
                                         TermCase{"Dumb", "dumb", false},
                                         TermCase{"Empty", "", false},
                                         TermCase{"Unset", nullptr, false}),
                         [](const testing::TestParamInfo<TermCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(StandardStreamsTest, ClosedOnesAreOpenedOntoDevNull) {
  struct stat null {};
  ASSERT_EQ(stat("/dev/null", &null), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(STDIN_FILENO);
    close(STDERR_FILENO);
    OpenMissingStandardStreams();
    // 0 and 2 are /dev/null, 1 is still the test's, and a file opened next
    // takes none of them.
    struct stat in {
    }, err{};
    if (fstat(STDIN_FILENO, &in) != 0 || in.st_rdev != null.st_rdev) _exit(10);
    if (fstat(STDERR_FILENO, &err) != 0 || err.st_rdev != null.st_rdev) _exit(12);
    if (fcntl(STDOUT_FILENO, F_GETFD) == -1) _exit(11);
    const int next = open("/dev/null", O_RDONLY);
    _exit(next > STDERR_FILENO ? 0 : 13);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0)
      << "10 + the descriptor that was wrong; 13: a standard descriptor left free";
}

// A run stopped and continued as a shell's job control does it: by a stop
// signal it can catch (`kill -TSTP`, or a background read or write), or by
// SIGSTOP, after which the shell has put its own settings back.
struct StopCase {
  const char* name;
  int signal;
  bool throughBackground;  // `bg` first: continued in the background, then `fg`
};

class TerminalStopTest : public testing::TestWithParam<StopCase> {};

// Whether process pid is stopped, waiting a bounded time for it to become so.
bool Stopped(pid_t pid, bool want) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const auto end = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < end) {
    char text[512] = {};
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    const char* state = n > 0 ? std::strrchr(text, ')') : nullptr;
    if (state && (state[2] == 'T') == want) return want;
    std::this_thread::sleep_for(2ms);
  }
  return !want;
}

TEST_P(TerminalStopTest, GivesTheTerminalBackWhileStoppedAndTakesItAgainAfter) {
  Pty pty;
  ASSERT_GE(pty.master, 0);
  const int sig = GetParam().signal;
  int ready[2], commands[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(commands), 0);
  const pid_t shell = fork();
  ASSERT_GE(shell, 0);
  if (shell == 0) {
    // A shell with the pseudo-terminal as its controlling terminal runs the
    // job in a process group of its own in the foreground: a group whose
    // parent is outside it, or stop signals would be discarded.
    if (setsid() < 0 || ioctl(pty.slave, TIOCSCTTY, 0) != 0) _exit(90);
    // The shell ignores SIGTTOU for itself; the job gets what it had.
    struct sigaction ignore {
    }, jobs{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGTTOU, &ignore, &jobs);
    const pid_t job = fork();
    if (job < 0) _exit(91);
    if (job == 0) {
      sigaction(SIGTTOU, &jobs, nullptr);
      setpgid(0, 0);
      while (tcgetpgrp(pty.slave) != getpgrp()) std::this_thread::sleep_for(1ms);
      if (!StartTerminalOn(pty.slave, pty.slave)) _exit(92);
      SetConsoleSize(22, 16);
      PrintText("console");
      const pid_t self = getpid();
      if (write(ready[1], &self, sizeof self) != sizeof self) _exit(92);
      // The loop's key reads; 'q' typed after the resume ends the run, and
      // only comes through in raw mode (line mode waits for the line's end).
      const auto end = std::chrono::steady_clock::now() + 10s;
      while (std::chrono::steady_clock::now() < end) {
        if (ReadKey() == "q") std::exit(0);
        std::this_thread::sleep_for(1ms);
      }
      std::exit(93);
    }
    setpgid(job, job);
    tcsetpgrp(pty.slave, job);
    // The test's commands: b gives the terminal's foreground to the shell
    // (the job is in the background), f gives it back to the job.
    char command = 0;
    while (read(commands[0], &command, 1) == 1 && command != 'e') {
      tcsetpgrp(pty.slave, command == 'b' ? getpgrp() : job);
      if (write(ready[1], &command, 1) != 1) _exit(96);
    }
    int status = 0;
    if (waitpid(job, &status, 0) != job) _exit(94);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 95);
  }
  close(ready[1]);
  close(commands[0]);
  pid_t job = 0;
  ASSERT_EQ(read(ready[0], &job, sizeof job), static_cast<ssize_t>(sizeof job));
  pty.Drain();
  auto tellShell = [&](char command) {
    char done = 0;
    ASSERT_EQ(write(commands[1], &command, 1), 1);
    ASSERT_EQ(read(ready[0], &done, 1), 1);
  };

  ASSERT_EQ(kill(job, sig), 0);
  EXPECT_TRUE(Stopped(job, true)) << "not stopped";
  termios modes{};
  if (sig == SIGSTOP) {
    tcsetattr(pty.slave, TCSANOW, &pty.original);  // the shell's own settings
  } else {
    tcgetattr(pty.slave, &modes);
    EXPECT_TRUE(SameModes(modes, pty.original)) << "raw mode while stopped";
    EXPECT_NE(pty.Drain().find("\x1b[?1049l"), std::string::npos) << "normal screen not back";
  }

  if (GetParam().throughBackground) {
    tellShell('b');
    pty.Drain();
    // Continued in the background, it stops at its next key poll, as a
    // read from there would, without touching the terminal.
    ASSERT_EQ(kill(job, SIGCONT), 0);
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(Stopped(job, true)) << "a background run went on";
    tcgetattr(pty.slave, &modes);
    EXPECT_TRUE(SameModes(modes, pty.original)) << "the background run took the terminal";
    EXPECT_EQ(pty.Drain(), "") << "the background run drew";
    tellShell('f');
  }
  ASSERT_EQ(kill(job, SIGCONT), 0);
  EXPECT_TRUE(!Stopped(job, false)) << "not continued";
  const std::string redrawn = pty.Drain();
  tcgetattr(pty.slave, &modes);
  EXPECT_EQ(modes.c_lflag & (ECHO | ICANON), 0u) << "no raw mode after the resume";
  EXPECT_NE(redrawn.find("\x1b[?1049h"), std::string::npos) << "no alternate screen";
  EXPECT_NE(redrawn.find("\x1b[8;16;22t"), std::string::npos) << "console size not asked again";
  EXPECT_NE(redrawn.find("console"), std::string::npos) << "console not redrawn";
  pty.Type("q");
  ASSERT_EQ(write(commands[1], "e", 1), 1);
  close(commands[1]);
  close(ready[0]);
  int status = 0;
  ASSERT_EQ(waitpid(shell, &status, 0), shell);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "93: the key never arrived; 9x: set-up";
  tcgetattr(pty.slave, &modes);
  EXPECT_TRUE(SameModes(modes, pty.original));
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, TerminalStopTest,
    testing::Values(StopCase{"Tstp", SIGTSTP, false}, StopCase{"Ttin", SIGTTIN, false},
                    StopCase{"Ttou", SIGTTOU, false}, StopCase{"Stop", SIGSTOP, false},
                    StopCase{"TstpThenBg", SIGTSTP, true}, StopCase{"StopThenBg", SIGSTOP, true}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

// How a child process that runs the terminal ends.
struct EndCase {
  const char* name;
  int signal;  // 0: exits normally with status 3
};

class TerminalEndTest : public testing::TestWithParam<EndCase> {};

TEST_P(TerminalEndTest, RestoresTheTerminalAndEndsAsTheSignalSays) {
  Pty pty;
  ASSERT_GE(pty.master, 0);
  const int sig = GetParam().signal;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (!StartTerminalOn(pty.slave, pty.slave)) _exit(99);
    if (sig != 0) raise(sig);
    std::exit(3);  // exit handlers run, as after main returns
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  if (sig == 0) {
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
  } else {
    ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
    EXPECT_EQ(WTERMSIG(status), sig);
  }
  termios modes{};
  tcgetattr(pty.slave, &modes);
  EXPECT_TRUE(SameModes(modes, pty.original));
  EXPECT_NE(pty.Drain().find("\x1b[?1049l"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Terminal, TerminalEndTest,
                         testing::Values(EndCase{"Exit", 0}, EndCase{"Term", SIGTERM},
                                         EndCase{"Interrupt", SIGINT}, EndCase{"HangUp", SIGHUP},
                                         EndCase{"Quit", SIGQUIT}, EndCase{"Abort", SIGABRT}),
                         [](const testing::TestParamInfo<EndCase>& info) {
                           return std::string(info.param.name);
                         });

// A run started by a shell, in the terminal's foreground or as a background
// job (`life3d &`).
struct JobCase {
  const char* name;
  bool background;
  bool takesTerminal;
};

class TerminalJobTest : public testing::TestWithParam<JobCase> {};

TEST_P(TerminalJobTest, TakesTheTerminalOnlyInTheForeground) {
  Pty pty;
  ASSERT_GE(pty.master, 0);
  const JobCase& c = GetParam();
  const pid_t shell = fork();
  ASSERT_GE(shell, 0);
  if (shell == 0) {
    // A session with the pseudo-terminal as its controlling terminal, as a
    // shell in a terminal window has; the job is started as the shell would.
    if (setsid() < 0 || ioctl(pty.slave, TIOCSCTTY, 0) != 0) _exit(90);
    const pid_t job = fork();
    if (job < 0) _exit(91);
    if (job == 0) {
      if (c.background) setpgid(0, 0);
      _exit(StartTerminalOn(pty.slave, pty.slave) == c.takesTerminal ? 0 : 1);
    }
    int status = 0;
    if (waitpid(job, &status, WUNTRACED) != job) _exit(92);
    if (WIFSTOPPED(status)) {  // the terminal stopped the job
      kill(job, SIGKILL);
      waitpid(job, &status, 0);
      _exit(93);
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 94);
  }
  int status = 0;
  ASSERT_EQ(waitpid(shell, &status, 0), shell);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong answer, 93: the job was stopped, 9x: set-up";
  if (c.background) {
    termios modes{};
    tcgetattr(pty.slave, &modes);
    EXPECT_TRUE(SameModes(modes, pty.original)) << "a background job changed the settings";
  }
}

INSTANTIATE_TEST_SUITE_P(Terminal, TerminalJobTest,
                         testing::Values(JobCase{"Foreground", false, true},
                                         JobCase{"BackgroundJob", true, false}),
                         [](const testing::TestParamInfo<JobCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace life3d
