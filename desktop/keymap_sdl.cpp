#include "desktop/keymap_sdl.h"

#include "console/keys.h"
#include "console/terminal_keys.h"

namespace life3d {
namespace {

// PC keyboard scan codes (set 1) of the keys that give code 0 and a scan code.
struct ScanCodeEntry {
  SDL_Scancode key;
  uint8_t pc;
};
constexpr ScanCodeEntry kNavigationKeys[] = {
    {SDL_SCANCODE_F1, kScanF1},         {SDL_SCANCODE_F2, kScanF1 + 1},
    {SDL_SCANCODE_F3, kScanF1 + 2},     {SDL_SCANCODE_F4, kScanF1 + 3},
    {SDL_SCANCODE_F5, kScanF1 + 4},     {SDL_SCANCODE_F6, kScanF1 + 5},
    {SDL_SCANCODE_F7, kScanF1 + 6},     {SDL_SCANCODE_F8, kScanF1 + 7},
    {SDL_SCANCODE_F9, kScanF1 + 8},     {SDL_SCANCODE_F10, kScanF1 + 9},
    {SDL_SCANCODE_F11, kScanF11},       {SDL_SCANCODE_F12, kScanF12},
    {SDL_SCANCODE_HOME, kScanHome},     {SDL_SCANCODE_UP, kScanUp},
    {SDL_SCANCODE_PAGEUP, kScanPageUp}, {SDL_SCANCODE_LEFT, kScanLeft},
    {SDL_SCANCODE_RIGHT, kScanRight},   {SDL_SCANCODE_END, kScanEnd},
    {SDL_SCANCODE_DOWN, kScanDown},     {SDL_SCANCODE_PAGEDOWN, kScanPageDown},
    {SDL_SCANCODE_INSERT, kScanInsert}, {SDL_SCANCODE_DELETE, kScanDelete},
};
// With Num Lock off the keypad's digits are the navigation keys; with it on
// they type digits, which arrive as text input.
constexpr ScanCodeEntry kKeypadKeys[] = {
    {SDL_SCANCODE_KP_7, kScanHome},        {SDL_SCANCODE_KP_8, kScanUp},
    {SDL_SCANCODE_KP_9, kScanPageUp},      {SDL_SCANCODE_KP_4, kScanLeft},
    {SDL_SCANCODE_KP_5, kScanBegin},       {SDL_SCANCODE_KP_6, kScanRight},
    {SDL_SCANCODE_KP_1, kScanEnd},         {SDL_SCANCODE_KP_2, kScanDown},
    {SDL_SCANCODE_KP_3, kScanPageDown},    {SDL_SCANCODE_KP_0, kScanInsert},
    {SDL_SCANCODE_KP_PERIOD, kScanDelete},
};

std::string TwoByteKey(uint8_t scan) {
  return std::string{'\0', static_cast<char>(scan)};
}

// A key text given by the press itself; any text input for the same press is
// then a duplicate.
std::string Covering(KeyMapState& state, std::string key) {
  state.textCovered = true;
  return key;
}

// Decodes one UTF-8 character at text[i], advancing i; a malformed byte gives
// U+FFFD, which no code page byte maps to.
char32_t NextCodePoint(const char* text, size_t& i) {
  const auto lead = static_cast<uint8_t>(text[i++]);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || lead >= 0xF8) return 0xFFFD;
  char32_t ch = lead & (0x3F >> extra);
  for (; extra > 0; --extra) {
    const auto next = static_cast<uint8_t>(text[i]);
    if ((next & 0xC0) != 0x80) return 0xFFFD;  // also stops at the terminating 0
    ch = (ch << 6) | (next & 0x3F);
    ++i;
  }
  return ch;
}

}  // namespace

std::string KeyTextForKeyDown(KeyMapState& state, const SDL_Keysym& key) {
  state.textCovered = false;
  const SDL_Scancode scan = key.scancode;
  for (const ScanCodeEntry& entry : kNavigationKeys) {
    if (entry.key == scan) return Covering(state, TwoByteKey(entry.pc));
  }
  if ((key.mod & KMOD_NUM) == 0) {
    for (const ScanCodeEntry& entry : kKeypadKeys) {
      if (entry.key == scan) return Covering(state, TwoByteKey(entry.pc));
    }
  }
  // Control keys that type no text of their own.
  switch (scan) {
    case SDL_SCANCODE_ESCAPE:
      return Covering(state, std::string(1, '\x1b'));
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return Covering(state, std::string(1, '\r'));
    case SDL_SCANCODE_TAB:
      return Covering(state, std::string(1, '\t'));
    case SDL_SCANCODE_BACKSPACE:
      return Covering(state, std::string(1, '\b'));
    default:
      break;
  }
  // Alt picks the key by its place (the scan code); AltGr reports as a mode
  // key, not as Alt, so the characters it types arrive as text.
  if ((key.mod & KMOD_ALT) != 0 && scan >= SDL_SCANCODE_A && scan <= SDL_SCANCODE_Z) {
    const char letter = static_cast<char>('a' + (scan - SDL_SCANCODE_A));
    return Covering(state, TwoByteKey(LetterScanCode(letter)));
  }
  // Ctrl takes the letter the layout puts on the key.
  if ((key.mod & KMOD_CTRL) != 0 && key.sym >= SDLK_a && key.sym <= SDLK_z) {
    return Covering(state, std::string(1, static_cast<char>(key.sym - SDLK_a + 1)));
  }
  return {};
}

std::string KeyTextsForTextInput(KeyMapState& state, const char* utf8) {
  std::string keys;
  if (state.textCovered) {
    state.textCovered = false;
    return keys;
  }
  for (size_t i = 0; utf8[i] != '\0';) {
    const char32_t ch = NextCodePoint(utf8, i);
    // Control codes come from key presses (Enter, Tab, Ctrl+letter), never as text.
    if (ch < 0x20 || ch == 0x7F) continue;
    const int byte = Cp437Byte(ch);
    if (byte > 0) keys.push_back(static_cast<char>(byte));
  }
  return keys;
}

}  // namespace life3d
