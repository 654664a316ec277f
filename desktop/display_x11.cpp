#include "desktop/display_x11.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

#include "desktop/terminal.h"

namespace life3d {
namespace {

// Xlib calls this on whichever thread found the connection gone, and ends
// the process itself if it returns; other threads still run. So: no locks,
// the terminal first (the message must land on the shell's screen), one
// write, and an exit that runs no exit handlers under the other threads.
int OnDisplayLost(Display* display) {
  RestoreTerminalAtOnce();
  char text[256];
  const char* name = display != nullptr ? DisplayString(display) : nullptr;
  const int n =
      std::snprintf(text, sizeof text, "life3d: lost the connection to the display (%s)\n",
                    name != nullptr && name[0] != '\0' ? name : "X server");
  if (n > 0) {
    const ssize_t written =
        write(STDERR_FILENO, text, static_cast<size_t>(n) < sizeof text ? n : sizeof text - 1);
    (void)written;
  }
  _exit(1);
}

}  // namespace

void WatchDisplayConnection() {
  XSetIOErrorHandler(OnDisplayLost);
}

}  // namespace life3d
