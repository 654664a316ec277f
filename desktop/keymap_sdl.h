// Keys typed into the graphics window as key texts, the same texts the
// terminal gives: characters as typed (in code page 437), Esc as code 27,
// other keys as code 0 and the PC scan code. Pure functions of SDL's key and
// text events, so they are tested without a display.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

namespace life3d {

// Carries one fact from a key press to the text input event SDL sends after
// it: whether the press already gave the key's text (Alt+letter, Ctrl+letter),
// so the same key does not arrive twice.
struct KeyMapState {
  bool textCovered = false;
};

// Key text of a key press: Esc, Enter, Tab, Backspace, navigation and function
// keys, Alt+letter, Ctrl+letter. Empty for modifier keys alone and for keys
// whose character arrives as text input.
std::string KeyTextForKeyDown(KeyMapState& state, const SDL_Keysym& key);
// Characters of a text input event (UTF-8) in code page 437, one byte per
// character and one key each; characters outside the code page are dropped.
std::string KeyTextsForTextInput(KeyMapState& state, const char* utf8);

}  // namespace life3d
