// What the terminal can do, from its terminfo entry. Kept apart from the
// terminal code: the terminfo header defines macros with common names.
#pragma once

namespace life3d {

// Whether the terminal named term (the TERM value, may be null) on fd can
// move the cursor to a given place. No name, an empty one and "dumb" cannot;
// a name terminfo does not know is taken as an ANSI terminal, as most are.
bool CanPlaceCursor(const char* term, int fd);

}  // namespace life3d
