// The key script of life3d-render's --keys: the keys a run reads, one per
// pass, written as text. A plain byte is the key of that byte; \e is Esc,
// \xHH the byte HH, \\ a backslash, and \0 then a key (one of the above) the
// two-byte key made of a 0 byte and that key's byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace life3d {

// The key texts of a script, in order. False for a backslash followed by
// anything else, or by nothing; keys is then unspecified.
bool ParseKeyScript(std::string_view text, std::vector<std::string>& keys);

// A parsed script as RunPass's key source: one key per pass, then none.
struct KeyScript {
  const std::vector<std::string>* keys = nullptr;
  size_t next = 0;
};
// The next key of the KeyScript that context points to, or the empty text.
std::string NextScriptedKey(void* context);

}  // namespace life3d
