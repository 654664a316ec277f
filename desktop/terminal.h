// The terminal the program was started from: raw mode, the console drawn at
// its top-left, its keys fed to the key queue, and everything put back
// however the run ends.
#pragma once

namespace life3d {

// When standard input is a terminal: raw mode (no echo, no line editing, no
// signal keys, so Ctrl+C arrives as code 3), its keys feed the key queue
// through ReadKey, and, when standard output is that terminal too, the
// console is drawn at its top-left on the alternate screen. Installs the
// handlers that restore the terminal at exit and on SIGTERM, SIGINT, SIGHUP,
// SIGQUIT and crash signals. False when there is no terminal, or when the
// program runs as a background job of it.
bool StartTerminal();
// The same on given descriptors (keys from inFd, drawing to outFd when it is
// a terminal): tests run it on a pseudo-terminal.
bool StartTerminalOn(int inFd, int outFd);
// True after StartTerminal succeeded and before RestoreTerminal.
bool HasTerminal();
// Puts back the settings, screen and size the terminal had; safe to call
// more than once.
void RestoreTerminal();

}  // namespace life3d
