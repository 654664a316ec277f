#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/keymap_sdl.h"

namespace life3d {
namespace {

SDL_Keysym Key(SDL_Scancode scan, SDL_Keycode sym, uint16_t mod = KMOD_NONE) {
  SDL_Keysym key{};
  key.scancode = scan;
  key.sym = sym;
  key.mod = mod;
  return key;
}

std::string Bytes(std::initializer_list<int> codes) {
  std::string text;
  for (int c : codes) text.push_back(static_cast<char>(c));
  return text;
}

struct KeyDownCase {
  const char* name;
  SDL_Keysym key;
  std::string expected;
};

class KeyDownTest : public testing::TestWithParam<KeyDownCase> {};

TEST_P(KeyDownTest, GivesTheKeyTextOfThePress) {
  KeyMapState state;
  EXPECT_EQ(KeyTextForKeyDown(state, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyDownTest,
    testing::Values(
        KeyDownCase{"EscIsCode27", Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), Bytes({27})},
        KeyDownCase{"EscWithCapsLockIsCode27", Key(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_CAPS),
                    Bytes({27})},
        KeyDownCase{"Up", Key(SDL_SCANCODE_UP, SDLK_UP), Bytes({0, 72})},
        KeyDownCase{"Down", Key(SDL_SCANCODE_DOWN, SDLK_DOWN), Bytes({0, 80})},
        KeyDownCase{"Left", Key(SDL_SCANCODE_LEFT, SDLK_LEFT), Bytes({0, 75})},
        KeyDownCase{"Right", Key(SDL_SCANCODE_RIGHT, SDLK_RIGHT), Bytes({0, 77})},
        KeyDownCase{"Home", Key(SDL_SCANCODE_HOME, SDLK_HOME), Bytes({0, 71})},
        KeyDownCase{"End", Key(SDL_SCANCODE_END, SDLK_END), Bytes({0, 79})},
        KeyDownCase{"PageUp", Key(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP), Bytes({0, 73})},
        KeyDownCase{"PageDown", Key(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN), Bytes({0, 81})},
        KeyDownCase{"Insert", Key(SDL_SCANCODE_INSERT, SDLK_INSERT), Bytes({0, 82})},
        KeyDownCase{"Delete", Key(SDL_SCANCODE_DELETE, SDLK_DELETE), Bytes({0, 83})},
        KeyDownCase{"F1", Key(SDL_SCANCODE_F1, SDLK_F1), Bytes({0, 59})},
        KeyDownCase{"F10", Key(SDL_SCANCODE_F10, SDLK_F10), Bytes({0, 68})},
        KeyDownCase{"F11", Key(SDL_SCANCODE_F11, SDLK_F11), Bytes({0, 87})},
        KeyDownCase{"F12", Key(SDL_SCANCODE_F12, SDLK_F12), Bytes({0, 88})},
        KeyDownCase{"ShiftedArrowKeepsItsCode", Key(SDL_SCANCODE_UP, SDLK_UP, KMOD_LSHIFT),
                    Bytes({0, 72})},
        KeyDownCase{"AltQ", Key(SDL_SCANCODE_Q, SDLK_q, KMOD_LALT), Bytes({0, 16})},
        KeyDownCase{"RightAltA", Key(SDL_SCANCODE_A, SDLK_a, KMOD_RALT), Bytes({0, 0x1E})},
        KeyDownCase{"AltM", Key(SDL_SCANCODE_M, SDLK_m, KMOD_LALT), Bytes({0, 0x32})},
        KeyDownCase{"AltZ", Key(SDL_SCANCODE_Z, SDLK_z, KMOD_LALT), Bytes({0, 0x2C})},
        KeyDownCase{"AltPicksTheKeyByItsPlace", Key(SDL_SCANCODE_Q, SDLK_a, KMOD_LALT),
                    Bytes({0, 16})},
        KeyDownCase{"AltWinsOverCtrl", Key(SDL_SCANCODE_P, SDLK_p, KMOD_LALT | KMOD_LCTRL),
                    Bytes({0, 0x19})},
        KeyDownCase{"AltDigitIsTypedAsText", Key(SDL_SCANCODE_1, SDLK_1, KMOD_LALT), ""},
        KeyDownCase{"AltGrIsNoAlt", Key(SDL_SCANCODE_Q, SDLK_q, KMOD_MODE), ""},
        KeyDownCase{"CtrlC", Key(SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL), Bytes({3})},
        KeyDownCase{"CtrlA", Key(SDL_SCANCODE_A, SDLK_a, KMOD_RCTRL), Bytes({1})},
        KeyDownCase{"CtrlZ", Key(SDL_SCANCODE_Z, SDLK_z, KMOD_LCTRL), Bytes({26})},
        KeyDownCase{"CtrlTakesTheLayoutsLetter", Key(SDL_SCANCODE_Q, SDLK_a, KMOD_LCTRL),
                    Bytes({1})},
        KeyDownCase{"Enter", Key(SDL_SCANCODE_RETURN, SDLK_RETURN), Bytes({13})},
        KeyDownCase{"KeypadEnter", Key(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), Bytes({13})},
        KeyDownCase{"Tab", Key(SDL_SCANCODE_TAB, SDLK_TAB), Bytes({9})},
        KeyDownCase{"Backspace", Key(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), Bytes({8})},
        KeyDownCase{"KeypadEightWithoutNumLockIsUp", Key(SDL_SCANCODE_KP_8, SDLK_KP_8),
                    Bytes({0, 72})},
        KeyDownCase{"KeypadFiveWithoutNumLock", Key(SDL_SCANCODE_KP_5, SDLK_KP_5), Bytes({0, 76})},
        KeyDownCase{"KeypadPointWithoutNumLockIsDelete",
                    Key(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD), Bytes({0, 83})},
        KeyDownCase{"KeypadEightWithNumLockIsTypedAsText",
                    Key(SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NUM), ""},
        KeyDownCase{"LetterIsTypedAsText", Key(SDL_SCANCODE_X, SDLK_x), ""},
        KeyDownCase{"ShiftedLetterIsTypedAsText", Key(SDL_SCANCODE_X, SDLK_x, KMOD_LSHIFT), ""},
        KeyDownCase{"ShiftAlone", Key(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT), ""},
        KeyDownCase{"CtrlAlone", Key(SDL_SCANCODE_RCTRL, SDLK_RCTRL, KMOD_RCTRL), ""},
        KeyDownCase{"AltAlone", Key(SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT), ""},
        KeyDownCase{"CapsLockAlone", Key(SDL_SCANCODE_CAPSLOCK, SDLK_CAPSLOCK, KMOD_CAPS), ""},
        KeyDownCase{"NumLockAlone", Key(SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR), ""},
        KeyDownCase{"ScrollLockAlone", Key(SDL_SCANCODE_SCROLLLOCK, SDLK_SCROLLLOCK), ""},
        KeyDownCase{"SuperAlone", Key(SDL_SCANCODE_LGUI, SDLK_LGUI, KMOD_LGUI), ""}),
    [](const testing::TestParamInfo<KeyDownCase>& info) { return info.param.name; });

// One key event as SDL delivers it: a press, or the text that follows it.
struct Event {
  bool text;
  SDL_Keysym key;
  const char* utf8;
};
Event Press(SDL_Scancode scan, SDL_Keycode sym, uint16_t mod = KMOD_NONE) {
  return {false, Key(scan, sym, mod), nullptr};
}
Event Typed(const char* utf8) {
  return {true, {}, utf8};
}

struct SequenceCase {
  const char* name;
  std::vector<Event> events;
  std::vector<std::string> keys;  // what reaches the key queue, in order
};

class KeySequenceTest : public testing::TestWithParam<SequenceCase> {};

TEST_P(KeySequenceTest, GivesEachKeyOnce) {
  KeyMapState state;
  std::vector<std::string> keys;
  for (const Event& event : GetParam().events) {
    if (event.text) {
      for (char c : KeyTextsForTextInput(state, event.utf8)) keys.emplace_back(1, c);
    } else if (std::string key = KeyTextForKeyDown(state, event.key); !key.empty()) {
      keys.push_back(key);
    }
  }
  EXPECT_EQ(keys, GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, KeySequenceTest,
    testing::Values(
        SequenceCase{"LetterArrivesAsText", {Press(SDL_SCANCODE_X, SDLK_x), Typed("x")}, {"x"}},
        SequenceCase{"ShiftThenCapital",
                     {Press(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT),
                      Press(SDL_SCANCODE_X, SDLK_x, KMOD_LSHIFT), Typed("X")},
                     {"X"}},
        SequenceCase{"AltLetterTextIsNotRepeated",
                     {Press(SDL_SCANCODE_Q, SDLK_q, KMOD_LALT), Typed("q")},
                     {Bytes({0, 16})}},
        SequenceCase{"TextAfterAnAltLetterIsStillTyped",
                     {Press(SDL_SCANCODE_Q, SDLK_q, KMOD_LALT), Typed("q"),
                      Press(SDL_SCANCODE_N, SDLK_n), Typed("n")},
                     {Bytes({0, 16}), "n"}},
        SequenceCase{
            "AltLetterWithoutTextLeavesTheNextTextAlone",
            {Press(SDL_SCANCODE_Q, SDLK_q, KMOD_LALT), Press(SDL_SCANCODE_Z, SDLK_z), Typed("z")},
            {Bytes({0, 16}), "z"}},
        SequenceCase{"CtrlLetterTextIsNotRepeated",
                     {Press(SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL), Typed("c")},
                     {Bytes({3})}},
        SequenceCase{
            "AutoRepeatGivesOneKeyPerRepeat",
            {Press(SDL_SCANCODE_Z, SDLK_z), Typed("z"), Press(SDL_SCANCODE_Z, SDLK_z), Typed("z")},
            {"z", "z"}},
        SequenceCase{"PlusOnTheKeypadWithNumLock",
                     {Press(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, KMOD_NUM), Typed("+")},
                     {"+"}},
        SequenceCase{
            "DigitWithNumLock", {Press(SDL_SCANCODE_KP_8, SDLK_KP_8, KMOD_NUM), Typed("8")}, {"8"}},
        SequenceCase{"SeveralCharactersInOneText", {Typed("aZ-")}, {"a", "Z", "-"}},
        SequenceCase{"AccentedLetterInCodePage437", {Typed("\xC3\xA9")}, {Bytes({0x82})}},
        SequenceCase{"PoundSignInCodePage437", {Typed("\xC2\xA3")}, {Bytes({0x9C})}},
        SequenceCase{
            "CharacterOutsideTheCodePageIsDropped", {Typed("\xE2\x82\xAC"), Typed("a")}, {"a"}},
        SequenceCase{"ControlCodesInTextAreDropped",
                     {Typed("\x01\r\x7f"
                            "a")},
                     {"a"}},
        SequenceCase{"MalformedTextIsDropped", {Typed("\xC3(\xFF")}, {"("}}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return info.param.name; });

}  // namespace
}  // namespace life3d
