// Any bytes as the key script of life3d-render --keys. The check and the
// decoding agree (a script is accepted exactly when every key decodes), every
// key is one byte or a 0 byte and one more, a refusal is one line, and the
// keys written back in the notation's escapes decode to the same keys, as
// the run reads them pass by pass.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/key_script.h"

namespace life3d {
namespace {

// Every byte as \xHH, a two-byte key with \0 in front.
std::string Escaped(const std::vector<std::string>& keys) {
  std::string text;
  for (const std::string& key : keys) {
    if (key.size() == 2) text += "\\0";
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(key.back()));
    text += escape;
  }
  return text;
}

// The keys of a script, decoded to the end; false at a bad escape.
bool Decode(std::string_view text, std::vector<std::string>& keys) {
  keys.clear();
  std::string key;
  for (size_t at = 0; at < text.size();) {
    const size_t before = at;
    if (!TakeScriptKey(text, at, key)) {
      if (at != before) std::abort();  // a failure leaves the position as it was
      return false;
    }
    if (at <= before || at - before > kMaxKeyBytes) std::abort();
    if (key.empty() || key.size() > 2 || (key.size() == 2 && key[0] != '\0')) std::abort();
    keys.push_back(key);
  }
  return true;
}

}  // namespace
}  // namespace life3d

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace life3d;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> keys;
  const bool decoded = Decode(text, keys);
  std::string error;
  const bool checked = CheckKeyScript(text, "--keys", error);
  if (decoded != checked) std::abort();
  if (!checked) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  KeyScript script{text};
  for (const std::string& key : keys) {
    if (NextScriptedKey(&script) != key) std::abort();
  }
  if (!NextScriptedKey(&script).empty()) std::abort();
  const std::string escaped = Escaped(keys);
  std::vector<std::string> again;
  if (!Decode(escaped, again) || again != keys) std::abort();
  return 0;
}
