// Key texts written as one line of text: the notation of life3d-render's
// --keys and --keys-file and of the web page's ?keys=, one key per pass. A
// byte stands for itself; \e is Esc, \xHH the byte HH, \\ a backslash; \0
// before a key makes the two-byte key 0 + that byte (\0H is Up). A blank is a
// key that does nothing, so a pass without a key is written as a blank.
//
// A run keeps its script as text and decodes one key per pass, so a script
// costs its own length in memory however many keys it holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace life3d {

// The most bytes one key takes in a script ("\0\xHH").
inline constexpr size_t kMaxKeyBytes = 6;

// Decodes the key at text[at] into key (one byte, or a 0 byte and one more)
// and moves at past it. False at a backslash followed by anything else, or
// by nothing, with at and key unchanged.
bool TakeScriptKey(std::string_view text, size_t& at, std::string& key);
// The key texts of `text`, in order; false (keys emptied) when the text is
// not in the notation.
bool ParseKeyScript(std::string_view text, std::vector<std::string>& keys);
// The text ParseKeyScript reads back as `keys`: printable ASCII but the
// backslash as itself, other bytes escaped, an empty key (a pass that read
// none) as a blank. Keys of more than two bytes are no key texts: written
// as blanks too.
std::string FormatKeyScript(const std::vector<std::string>& keys);

// A checked script as RunPass's key source: one key per pass, then none.
struct KeyScript {
  std::string_view text;
  size_t next = 0;  // the byte where the next key begins
};
// The next key of the KeyScript that context points to, or the empty text.
// No heap: a key's two bytes fit in the string itself.
std::string NextScriptedKey(void* context);

}  // namespace life3d
