#include "platform/keymap_sdl.h"

#include <array>

#include "platform/keys.h"

namespace life3d {
namespace {

// Code page 437 as a PC console shows it: the control codes have glyphs too.
constexpr std::array<char32_t, 256> kCp437 = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  // 00
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  // 08
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  // 10
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  // 18
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,  // 20
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,  // 28
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  // 30
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  // 38
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,  // 40
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,  // 48
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,  // 50
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,  // 58
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,  // 60
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,  // 68
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,  // 70
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302,  // 78
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

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
    const int32_t byte = UnicodeToCp437(NextCodePoint(utf8, i));
    if (byte > 0) keys.push_back(static_cast<char>(byte));
  }
  return keys;
}

char32_t Cp437ToUnicode(uint8_t byte) {
  return kCp437[byte];
}

int32_t UnicodeToCp437(char32_t ch) {
  if (ch >= 0x20 && ch < 0x7F) return static_cast<int32_t>(ch);
  if (ch < 0x20 || ch == 0x7F) return -1;  // control codes are typed as keys, not text
  for (int32_t byte = 0; byte < 256; ++byte) {
    if (kCp437[byte] == ch && byte != 0) return byte;
  }
  return -1;
}

}  // namespace life3d
