// The terminal the program was started from: raw mode, the console drawn at
// its top-left, its keys fed to the key queue, and everything put back
// however the run ends.
#pragma once

#include <string_view>

namespace life3d {

// When standard input is a terminal: raw mode (no echo, no line editing, no
// signal keys, so Ctrl+C arrives as code 3), its keys feed the key queue
// through ReadKey, and, when standard output is that terminal too, the
// console is drawn at its top-left on the alternate screen. Installs the
// handlers that restore the terminal at exit and on SIGTERM, SIGINT, SIGHUP,
// SIGQUIT and crash signals; on SIGTSTP, SIGTTIN and SIGTTOU it is restored
// before the run stops, and SIGCONT in the foreground (after any stop, SIGSTOP
// too) brings back raw mode and the console. On a terminal that cannot place
// the cursor (TERM=dumb) nothing is drawn; keys still arrive. False when
// there is no terminal, or when the program runs as a background job of it.
bool StartTerminal();
// The same on given descriptors (keys from inFd, drawing to outFd when it is
// a terminal): tests run it on a pseudo-terminal.
bool StartTerminalOn(int inFd, int outFd);
// Shows text (lines split at '\n') below the console's rows from now on,
// redrawn with the console; a window the console shrank is asked to grow by
// its rows. No line goes below the terminal's last row.
void ShowBelowConsole(std::string_view text);
// True after StartTerminal succeeded and before RestoreTerminal.
bool HasTerminal();
// Puts back the settings and screen the terminal had, and the window size and
// place it had if the console changed them; safe to call more than once. The
// size and place are those the terminal reported when asked at the start
// (xterm's window reports), or else the size its driver knew.
void RestoreTerminal();
// The same without taking any lock (async-signal-safe), for an end that
// cannot wait for other threads: the process exits right after.
void RestoreTerminalAtOnce();

// Opens /dev/null onto each of descriptors 0, 1 and 2 that is closed, so no
// file opened later (the display connection) takes its number and receives
// the program's messages. Called first thing.
void OpenMissingStandardStreams();

}  // namespace life3d
