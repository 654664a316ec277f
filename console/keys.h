// One queue of key texts, fed by the terminal and by the graphics window, so
// a key typed in either acts the same. A key text is one byte for a character
// key, or two bytes (0 and the PC scan code) for other keys.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace life3d {

// Key texts waiting beyond this many are dropped (a fixed ring, no heap),
// except Esc, which replaces the newest waiting key.
inline constexpr int kKeyQueueCapacity = 256;
// The Esc key's text is this one byte.
inline constexpr char kKeyEsc = 27;

// PC keyboard (set 1) scan codes: the second byte of two-byte key texts.
// Both key sources use these, so the terminal and the window agree.
inline constexpr uint8_t kScanF1 = 59;  // F1..F10 are 59..68
inline constexpr uint8_t kScanF11 = 87;
inline constexpr uint8_t kScanF12 = 88;
inline constexpr uint8_t kScanHome = 71;
inline constexpr uint8_t kScanUp = 72;
inline constexpr uint8_t kScanPageUp = 73;
inline constexpr uint8_t kScanLeft = 75;
inline constexpr uint8_t kScanBegin = 76;  // keypad 5 without Num Lock
inline constexpr uint8_t kScanRight = 77;
inline constexpr uint8_t kScanEnd = 79;
inline constexpr uint8_t kScanDown = 80;
inline constexpr uint8_t kScanPageDown = 81;
inline constexpr uint8_t kScanInsert = 82;
inline constexpr uint8_t kScanDelete = 83;

// Scan code of the key that carries letter c (either case), 0 when c is no
// ASCII letter. Alt+letter gives the key text 0, LetterScanCode(c).
uint8_t LetterScanCode(char c);

// Appends a key text (1 or 2 bytes) to the queue; any thread. Other lengths
// are no key texts and are ignored; a full queue drops the key, but Esc
// then takes the place of the newest waiting key.
void PushKey(std::string_view key);
// Oldest waiting key text, or the empty text; never waits. Polls the terminal
// first when there is one.
std::string ReadKey();

// Called by ReadKey before it looks at the queue (the terminal installs one
// that reads waiting bytes and pushes their keys); nullptr for none.
using KeySourcePoll = void (*)();
void SetKeySource(KeySourcePoll poll);
// Empties the queue (tests, and a fresh start).
void ClearKeys();

}  // namespace life3d
