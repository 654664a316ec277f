// The key script of life3d-render's --keys and --keys-file: the keys a run
// reads, one per pass, written as text. A plain byte is the key of that byte;
// \e is Esc, \xHH the byte HH, \\ a backslash, and \0 then a key (one of the
// above) the two-byte key made of a 0 byte and that key's byte.
//
// A run keeps the script as its text and decodes one key per pass, so a
// script costs its own length in memory however many keys it holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace life3d {

// The most bytes one key takes in a script ("\0\xHH").
inline constexpr size_t kMaxKeyBytes = 6;

// Decodes the key at text[at] into key (one byte, or a 0 byte and one more)
// and moves at past it. False at a backslash followed by anything else, or
// by nothing, with at and key unchanged.
bool TakeScriptKey(std::string_view text, size_t& at, std::string& key);

// Checks every key of a script; source names it in the reason ("--keys").
// False with a one-line reason that quotes the bad escape and gives its byte
// (counted from 1).
bool CheckKeyScript(std::string_view text, std::string_view source, std::string& error);

// Reads and checks the script of --keys-file: the file name, or standard
// input for "-". One final line feed is dropped, as a file written by echo or
// an editor ends with one; a line feed wanted as the last key is written
// \x0A. False with a one-line reason when the file cannot be read, is longer
// than maxBytes (the line feed aside) or has a bad escape.
bool ReadKeyScriptFile(const std::string& name, size_t maxBytes, std::string& text,
                       std::string& error);

// A checked script as RunPass's key source: one key per pass, then none.
struct KeyScript {
  std::string_view text;
  size_t next = 0;  // the byte where the next key begins
};
// The next key of the KeyScript that context points to, or the empty text.
// No heap: a key's two bytes fit in the string itself.
std::string NextScriptedKey(void* context);

}  // namespace life3d
