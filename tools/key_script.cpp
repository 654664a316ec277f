#include "tools/key_script.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "media/output_file.h"

namespace life3d {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One byte of a script at text[at]: a plain byte, \\, \e or \xHH.
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

bool CheckKeyScript(std::string_view text, std::string_view source, std::string& error) {
  std::string key;
  for (size_t at = 0; at < text.size();) {
    if (!TakeScriptKey(text, at, key)) {
      error = std::string(source) + " has " + QuoteName(text.substr(at, kMaxKeyBytes)) +
              " at byte " + std::to_string(at + 1) +
              ", where a backslash begins \\e, \\xHH, \\\\ or \\0 and a key";
      return false;
    }
  }
  return true;
}

bool ReadKeyScriptFile(const std::string& name, size_t maxBytes, std::string& text,
                       std::string& error) {
  const bool fromStdin = name == "-";
  const std::string shown =
      "--keys-file " + (fromStdin ? std::string("- (standard input)") : QuoteName(name));
  const int fd = fromStdin ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = shown + ": " + std::strerror(errno);
    return false;
  }
  text.clear();
  // One byte more than maxBytes may be the final line feed.
  char chunk[65536];
  ssize_t n = 0;
  while (text.size() <= maxBytes + 1) {
    n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  const int readError = n < 0 ? errno : 0;
  if (!fromStdin) close(fd);
  if (readError != 0) {
    error = shown + ": " + std::strerror(readError);
    return false;
  }
  if (text.ends_with('\n')) text.pop_back();
  if (text.size() > maxBytes) {
    error = shown + " is longer than " + std::to_string(maxBytes) +
            " bytes, more keys than any run reads";
    return false;
  }
  return CheckKeyScript(text, shown, error);
}

std::string NextScriptedKey(void* context) {
  auto& script = *static_cast<KeyScript*>(context);
  std::string key;
  if (!TakeScriptKey(script.text, script.next, key)) return std::string();
  return key;
}

}  // namespace life3d
