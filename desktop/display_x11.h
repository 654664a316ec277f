// The X display connection under the SDL2 window.
#pragma once

namespace life3d {

// From now on, losing the X display connection (the server stops or the
// connection is killed) ends the run with the terminal restored, one line
// on standard error and status 1, in place of Xlib's own message and exit.
void WatchDisplayConnection();

}  // namespace life3d
