#include "tools/key_script.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "media/output_file.h"

namespace life3d {

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

}  // namespace life3d
