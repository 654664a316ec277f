// Key texts written as one line of text: the notation of life3d-render's
// --keys and of the web page's ?keys=, one key per pass. A byte stands for
// itself; \e is Esc, \xHH the byte HH, \\ a backslash; \0 before a key makes
// the two-byte key 0 + that byte (\0H is Up). A blank is a key that does
// nothing, so a pass without a key is written as a blank.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace life3d {

// The key texts of `text`, in order; false (keys emptied) when the text is
// not in the notation: a lone backslash, \x without two hex digits, another
// escape, or \0 with no key after it.
bool ParseKeyScript(std::string_view text, std::vector<std::string>& keys);
// The text ParseKeyScript reads back as `keys`: printable ASCII but the
// backslash as itself, other bytes escaped, an empty key (a pass that read
// none) as a blank. Keys of more than two bytes are no key texts: written
// as blanks too.
std::string FormatKeyScript(const std::vector<std::string>& keys);

// Parsed keys as RunPass's key source: one key per pass, then none.
struct KeyScript {
  const std::vector<std::string>* keys = nullptr;
  size_t next = 0;
};
// The next key of the KeyScript that context points to, or the empty text.
std::string NextScriptedKey(void* context);

}  // namespace life3d
