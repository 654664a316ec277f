#include <curses.h>
#include <term.h>

#include <cstring>

#include "desktop/terminal_caps.h"

namespace life3d {

bool CanPlaceCursor(const char* term, int fd) {
  if (term == nullptr || term[0] == '\0' || std::strcmp(term, "dumb") == 0) return false;
  int status = 0;
  if (setupterm(term, fd, &status) != OK) return true;
  char* cup = tigetstr("cup");
  const bool canPlace = cup != nullptr && cup != reinterpret_cast<char*>(-1);
  del_curterm(cur_term);
  return canPlace;
}

}  // namespace life3d
