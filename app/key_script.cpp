#include "app/key_script.h"

namespace life3d {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One byte at text[at]: a plain byte, \\, \e or \xHH.
bool TakeKeyByte(std::string_view text, size_t& at, char& byte) {
  if (at >= text.size()) return false;
  if (text[at] != '\\') {
    byte = text[at++];
    return true;
  }
  if (at + 1 >= text.size()) return false;
  const char kind = text[at + 1];
  if (kind == '\\' || kind == 'e') {
    byte = kind == 'e' ? 27 : '\\';
    at += 2;
    return true;
  }
  if (kind == 'x' && at + 3 < text.size() && HexDigit(text[at + 2]) >= 0 &&
      HexDigit(text[at + 3]) >= 0) {
    byte = static_cast<char>(16 * HexDigit(text[at + 2]) + HexDigit(text[at + 3]));
    at += 4;
    return true;
  }
  return false;
}

void FormatKeyByte(char byte, std::string& text) {
  constexpr char kHex[] = "0123456789ABCDEF";
  const auto b = static_cast<unsigned char>(byte);
  if (b == '\\') {
    text += "\\\\";
  } else if (b == 27) {
    text += "\\e";
  } else if (b >= 0x20 && b < 0x7F) {
    text.push_back(byte);
  } else {
    text += "\\x";
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 0x0F]);
  }
}

}  // namespace

bool TakeScriptKey(std::string_view text, size_t& at, std::string& key) {
  size_t next = at;
  const bool twoBytes = at + 1 < text.size() && text[at] == '\\' && text[at + 1] == '0';
  if (twoBytes) next += 2;
  char byte = 0;
  if (!TakeKeyByte(text, next, byte)) return false;
  key.clear();
  if (twoBytes) key.push_back('\0');
  key.push_back(byte);
  at = next;
  return true;
}

bool ParseKeyScript(std::string_view text, std::vector<std::string>& keys) {
  keys.clear();
  std::string key;
  for (size_t at = 0; at < text.size();) {
    if (!TakeScriptKey(text, at, key)) {
      keys.clear();
      return false;
    }
    keys.push_back(key);
  }
  return true;
}

std::string FormatKeyScript(const std::vector<std::string>& keys) {
  std::string text;
  for (const std::string& key : keys) {
    if (key.size() == 2 && key[0] == '\0') {
      text += "\\0";
      FormatKeyByte(key[1], text);
    } else if (key.size() == 1) {
      FormatKeyByte(key[0], text);
    } else {
      text.push_back(' ');
    }
  }
  return text;
}

std::string NextScriptedKey(void* context) {
  auto& script = *static_cast<KeyScript*>(context);
  std::string key;
  if (!TakeScriptKey(script.text, script.next, key)) return std::string();
  return key;
}

}  // namespace life3d
