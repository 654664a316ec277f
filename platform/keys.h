// One queue of key texts, fed by the terminal and by the graphics window, so
// a key typed in either acts the same. A key text is one byte for a character
// key, or two bytes (0 and the PC scan code) for other keys.
#pragma once

#include <string>
#include <string_view>

namespace life3d {

// Appends a key text (1 or 2 bytes) to the queue; any thread.
void PushKey(std::string_view key);
// Oldest waiting key text, or the empty text; never waits. Polls the terminal
// first when there is one.
std::string ReadKey();

}  // namespace life3d
