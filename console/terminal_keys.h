// Terminal keys and glyphs, pure and display-free: the decoder that turns the
// bytes a terminal sends into key texts, and the code page 437 glyphs the
// console's cells are shown with.
#pragma once

#include <cstdint>
#include <string_view>

namespace life3d {

// ---- Key decoder (pure; no clock: the caller decides when a wait is over) ----

// Bytes of an escape sequence or UTF-8 character still waiting for the rest.
inline constexpr int kKeyDecoderMax = 32;
// How long a lone ESC (or an unfinished sequence) may wait for more bytes
// before the caller flushes it: long enough for one read split in pieces,
// short enough that Esc feels immediate.
inline constexpr int kKeyFlushMilliseconds = 40;

// What a terminal answers to xterm's window-report requests: CSI 3;x;y t
// (where its window is) and CSI 8;rows;columns t (its text area's size).
struct WindowReport {
  bool seen = false;
  int32_t first = 0, second = 0;  // x, y or rows, columns
};

struct KeyDecoder {
  uint8_t bytes[kKeyDecoderMax] = {};
  int count = 0;
  bool skipping = false;  // an overlong sequence is being dropped up to its final byte
  // The first report of each kind; later ones (a reply to someone else's
  // request) change nothing.
  WindowReport position, textSize;
};

// Receives each decoded key text (1 or 2 bytes).
using KeySink = void (*)(std::string_view key, void* context);

// Decodes bytes as they arrive; complete keys go to sink in order, an
// unfinished escape sequence or character is kept for the next call.
// Printable ASCII as typed; Ctrl+letter as its control code; Backspace (DEL)
// as 8; UTF-8 characters as their code page 437 byte (others dropped);
// cursor, editing and function keys of xterm, tmux, rxvt and the Linux
// console as 0 + scan code; ESC + letter (Alt+letter) or ESC + Ctrl+letter's
// control code as 0 + the letter's scan code; ESC + other character as that
// character (Tab, Enter and Backspace included). Unknown sequences are
// dropped whole; window reports are kept in the decoder, never keys.
void FeedKeyBytes(KeyDecoder& decoder, std::string_view bytes, KeySink sink, void* context);
// True while bytes wait for more (the caller starts its flush timer).
bool KeyDecoderWaiting(const KeyDecoder& decoder);
// No more bytes came in time: a lone ESC is Esc (27), ESC O and ESC [ are
// Alt+O and Alt+[, anything else unfinished is dropped.
void FlushKeyBytes(KeyDecoder& decoder, KeySink sink, void* context);

// ---- Code page 437 ----

// UTF-8 text of the glyph code page 437 shows for byte b (control bytes as
// their symbols, 0 as a blank). Never empty, at most 3 bytes.
std::string_view Cp437Glyph(uint8_t b);
// Code page 437 byte whose glyph is code point cp, or -1 when there is none.
// Code points below 0x80 map to themselves.
int Cp437Byte(char32_t cp);

}  // namespace life3d
