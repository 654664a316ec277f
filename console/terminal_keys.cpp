// The terminal key decoder and the code page 437 glyphs. Sections:
//   Code page 437  the glyph of each byte (kCp437) and its UTF-8 text (kGlyphs)
//   Key decoder    byte classes and UTF-8 lengths; the scan codes of CSI and
//                  SS3 finals and of CSI n ~; the state read from the kept
//                  bytes (Inspect, Keep); complete sequences (DecodeCsi,
//                  KeepWindowReport, DecodeSs3); one byte in each state
//                  (FeedGround, FeedUtf8, FeedAfterEscape, FeedSequence, FeedByte)
//   Entry points   FeedKeyBytes, KeyDecoderWaiting, FlushKeyBytes, Cp437Glyph,
//                  Cp437Byte
#include "console/terminal_keys.h"

#include <array>
#include <cstring>

#include "console/keys.h"

namespace life3d {
namespace {

// ---- Code page 437 ----

// Code point of the glyph of each byte; 0 shows as a blank.
constexpr char16_t kCp437[256] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9, 0x2642,
    0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC, 0x0020, 0x0021, 0x0022, 0x0023,
    0x0024, 0x0025, 0x0026, 0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B,
    0x003C, 0x003D, 0x003E, 0x003F, 0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F, 0x0050, 0x0051, 0x0052, 0x0053,
    0x0054, 0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067, 0x0068, 0x0069, 0x006A, 0x006B,
    0x006C, 0x006D, 0x006E, 0x006F, 0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302, 0x00C7, 0x00FC, 0x00E9, 0x00E2,
    0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2,
    0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566,
    0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0,
    0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A,
    0x207F, 0x00B2, 0x25A0, 0x00A0,
};

struct Utf8Glyph {
  char bytes[3] = {};
  uint8_t length = 0;
};

constexpr std::array<Utf8Glyph, 256> MakeGlyphs() {
  std::array<Utf8Glyph, 256> glyphs{};
  for (int b = 0; b < 256; ++b) {
    const unsigned cp = kCp437[b];
    Utf8Glyph& g = glyphs[b];
    if (cp < 0x80) {
      g.bytes[0] = static_cast<char>(cp);
      g.length = 1;
    } else if (cp < 0x800) {
      g.bytes[0] = static_cast<char>(0xC0 | (cp >> 6));
      g.bytes[1] = static_cast<char>(0x80 | (cp & 0x3F));
      g.length = 2;
    } else {
      g.bytes[0] = static_cast<char>(0xE0 | (cp >> 12));
      g.bytes[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      g.bytes[2] = static_cast<char>(0x80 | (cp & 0x3F));
      g.length = 3;
    }
  }
  return glyphs;
}

constexpr std::array<Utf8Glyph, 256> kGlyphs = MakeGlyphs();

// ---- Key decoder ----

constexpr uint8_t kEsc = 0x1B;

struct Output {
  KeySink sink;
  void* context;
  void Char(uint8_t c) const {
    const char text[1] = {static_cast<char>(c)};
    sink(std::string_view(text, 1), context);
  }
  void Scan(uint8_t scan) const {
    const char text[2] = {0, static_cast<char>(scan)};
    sink(std::string_view(text, 2), context);
  }
};

bool IsLetter(uint8_t b) {
  return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}
bool IsFinal(uint8_t b) {
  return b >= 0x40 && b <= 0x7E;
}
bool IsParameterOrIntermediate(uint8_t b) {
  return b >= 0x20 && b <= 0x3F;
}

// Number of bytes of the UTF-8 character that lead byte b starts, 0 when b
// cannot start one (continuation bytes, overlong leads, beyond U+10FFFF).
int Utf8Length(uint8_t b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

// Scan code of the key whose CSI/SS3 sequence ends in letter `final`, 0 for
// none. Modifier parameters (CSI 1;5A is Ctrl+Up) do not change the key, as
// a PC key's scan code does not change with Shift, Ctrl or Alt.
uint8_t ScanOfLetterFinal(uint8_t final) {
  switch (final) {
    case 'A':
    case 'a':
      return kScanUp;  // lower case: rxvt with Shift or Ctrl
    case 'B':
    case 'b':
      return kScanDown;
    case 'C':
    case 'c':
      return kScanRight;
    case 'D':
    case 'd':
      return kScanLeft;
    case 'H':
      return kScanHome;
    case 'F':
      return kScanEnd;
    case 'E':
    case 'G':
      return kScanBegin;  // G: the Linux console's keypad 5
    case 'P':
      return kScanF1;
    case 'Q':
      return kScanF1 + 1;
    case 'R':
      return kScanF1 + 2;
    case 'S':
      return kScanF1 + 3;
    default:
      return 0;
  }
}

// Scan code of the key of CSI n ~ (VT220 style, also rxvt's ^ $ @ endings).
uint8_t ScanOfNumber(int n) {
  switch (n) {
    case 1:
    case 7:
      return kScanHome;
    case 2:
      return kScanInsert;
    case 3:
      return kScanDelete;
    case 4:
    case 8:
      return kScanEnd;
    case 5:
      return kScanPageUp;
    case 6:
      return kScanPageDown;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      return static_cast<uint8_t>(kScanF1 + n - 11);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      return static_cast<uint8_t>(kScanF1 + 5 + n - 17);
    case 23:
      return kScanF11;
    case 24:
      return kScanF12;
    default:
      return 0;
  }
}

// The decoder's state is read from the kept bytes: nothing, the start of a
// UTF-8 character, or ESC (ESC ESC: Alt+ the next) followed by '[' or 'O'
// and the sequence so far.
struct Pending {
  int escapes = 0;    // leading ESC bytes (1, or 2 with Alt)
  uint8_t kind = 0;   // '[' or 'O' after the escapes, 0 when not yet known
  int bodyStart = 0;  // index of the first byte after the kind
};

Pending Inspect(const KeyDecoder& d) {
  Pending p;
  while (p.escapes < d.count && p.escapes < 2 && d.bytes[p.escapes] == kEsc) ++p.escapes;
  if (p.escapes > 0 && p.escapes < d.count) {
    p.kind = d.bytes[p.escapes];
    p.bodyStart = p.escapes + 1;
  }
  return p;
}

void Reset(KeyDecoder& d) {
  d.count = 0;
  d.skipping = false;
}

void Keep(KeyDecoder& d, uint8_t b) {
  if (d.count == kKeyDecoderMax) {
    d.count = 0;  // too long to be a key: drop it up to its final byte
    d.skipping = true;
    return;
  }
  d.bytes[d.count++] = b;
}

// A complete CSI sequence: body holds the parameter and intermediate bytes.
void DecodeCsi(const uint8_t* body, int length, uint8_t final, const Output& out) {
  if (length > 0 && body[0] == '[') {  // Linux console F1..F5: ESC [ [ A..E
    if (length == 1 && final >= 'A' && final <= 'E') out.Scan(kScanF1 + (final - 'A'));
    return;
  }
  // Private markers mark reports (mouse, focus, replies), never keys.
  if (length > 0 && body[0] >= '<' && body[0] <= '?') return;
  if (final == 'Z') {  // Shift+Tab: the Tab key
    out.Char('\t');
    return;
  }
  if (final == '~' || final == '^' || final == '@' || final == '$') {
    int n = 0;
    for (int k = 0; k < length && body[k] >= '0' && body[k] <= '9' && n < 1000; ++k) {
      n = n * 10 + (body[k] - '0');
    }
    if (uint8_t scan = ScanOfNumber(n)) out.Scan(scan);
    return;
  }
  if (uint8_t scan = ScanOfLetterFinal(final)) out.Scan(scan);
}

// CSI 3;x;y t and CSI 8;rows;columns t: exactly three numbers of at most
// five digits each; a size needs at least one row and column.
void KeepWindowReport(KeyDecoder& d, const uint8_t* body, int length) {
  int32_t numbers[3] = {};
  int count = 0, digits = 0;
  for (int k = 0; k <= length; ++k) {
    if (k == length || body[k] == ';') {
      if (digits == 0 || ++count > 3) return;
      digits = 0;
    } else if (body[k] >= '0' && body[k] <= '9' && digits < 5 && count < 3) {
      numbers[count] = numbers[count] * 10 + (body[k] - '0');
      ++digits;
    } else {
      return;
    }
  }
  if (count != 3) return;
  WindowReport* report = numbers[0] == 3 ? &d.position : numbers[0] == 8 ? &d.textSize : nullptr;
  if (report == nullptr || report->seen) return;
  if (report == &d.textSize && (numbers[1] == 0 || numbers[2] == 0)) return;
  *report = WindowReport{true, numbers[1], numbers[2]};
}

void DecodeSs3(uint8_t final, const Output& out) {
  if (final == 'M') {  // keypad Enter
    out.Char('\r');
  } else if (final >= 'j' && final <= 'y') {  // application keypad * + , - . / 0..9
    out.Char(static_cast<uint8_t>(final - 0x40));
  } else if (uint8_t scan = ScanOfLetterFinal(final)) {
    out.Scan(scan);
  }
}

void FeedByte(KeyDecoder& d, uint8_t b, const Output& out);

// A byte with nothing kept.
void FeedGround(KeyDecoder& d, uint8_t b, const Output& out) {
  if (b == kEsc) {
    Keep(d, b);
  } else if (b == 0x7F) {
    out.Char(8);  // terminals send DEL for Backspace; the key's code is 8
  } else if (b == 0) {
    // Ctrl+Space: no character key; nothing to report.
  } else if (b < 0x80) {
    out.Char(b);
  } else if (Utf8Length(b) > 0) {
    Keep(d, b);
  }
  // Stray continuation bytes and invalid leads are dropped.
}

void FeedUtf8(KeyDecoder& d, uint8_t b, const Output& out) {
  const uint8_t lead = d.bytes[0];
  const bool continuation = b >= 0x80 && b <= 0xBF;
  // Second-byte limits that rule out overlong forms, surrogates and values
  // beyond U+10FFFF.
  bool valid = continuation;
  if (valid && d.count == 1) {
    if (lead == 0xE0) valid = b >= 0xA0;
    if (lead == 0xED) valid = b <= 0x9F;
    if (lead == 0xF0) valid = b >= 0x90;
    if (lead == 0xF4) valid = b <= 0x8F;
  }
  if (!valid) {
    Reset(d);
    FeedByte(d, b, out);
    return;
  }
  Keep(d, b);
  if (d.count < Utf8Length(lead)) return;
  char32_t cp = lead & (0x7F >> d.count);
  for (int k = 1; k < d.count; ++k) cp = (cp << 6) | (d.bytes[k] & 0x3F);
  Reset(d);
  const int byte = Cp437Byte(cp);
  if (byte > 0) out.Char(static_cast<uint8_t>(byte));
}

// The letter whose Ctrl chord sends control byte b, 0 for none. Backspace
// (^H), Tab (^I) and Enter (^M) send the same bytes as Ctrl+H, I and M; a
// terminal cannot tell them apart, and the keys are the likelier reading, as
// they are without Alt.
char CtrlLetter(uint8_t b) {
  if (b < 0x01 || b > 0x1A || b == '\b' || b == '\t' || b == '\r') return 0;
  return static_cast<char>('A' + b - 1);
}

// A byte after ESC (or ESC ESC) and before the sequence kind is known.
void FeedAfterEscape(KeyDecoder& d, uint8_t b, const Output& out, int escapes) {
  if (b == '[' || b == 'O') {
    Keep(d, b);
    return;
  }
  if (escapes == 1 && b == kEsc) {  // ESC ESC: Alt+ whatever follows
    Keep(d, b);
    return;
  }
  if (escapes == 2) {  // Alt+Esc is Esc; the byte starts afresh
    Reset(d);
    out.Char(27);
    FeedByte(d, b, out);
    return;
  }
  Reset(d);
  if (IsLetter(b)) {
    out.Scan(LetterScanCode(static_cast<char>(b)));
  } else if (const char letter = CtrlLetter(b)) {
    out.Scan(LetterScanCode(letter));  // Ctrl+Alt+letter: Alt+letter's text
  } else if (b == 0x7F) {
    out.Char(8);
  } else if (b >= 0x80) {
    FeedByte(d, b, out);  // Alt+ a non-ASCII character: the character
  } else if (b != 0) {
    out.Char(b);  // Alt+ a key that is no letter: the key's own character
  }
}

void FeedSequence(KeyDecoder& d, uint8_t b, const Output& out, const Pending& p) {
  const int length = d.count - p.bodyStart;
  const uint8_t* body = d.bytes + p.bodyStart;
  // ESC [ [ takes exactly one more byte (the Linux console's F1..F5).
  const bool linuxFunction = p.kind == '[' && length == 1 && body[0] == '[';
  if (b == kEsc) {  // an unfinished sequence is abandoned
    Reset(d);
    Keep(d, b);
  } else if (p.kind == '[' && length == 0 && b == '[') {
    Keep(d, b);
  } else if (!linuxFunction && IsParameterOrIntermediate(b) &&
             !(p.kind == '[' && b == '$' && length > 0)) {
    Keep(d, b);
  } else if (IsFinal(b) || b == '$') {
    if (p.kind == '[' && b == 't') KeepWindowReport(d, body, length);
    Reset(d);
    if (p.kind == '[') {
      DecodeCsi(body, length, b, out);
    } else {
      DecodeSs3(b, out);
    }
  } else {
    // A control byte or non-ASCII byte cannot continue a sequence: drop the
    // sequence and treat the byte as new input.
    Reset(d);
    FeedByte(d, b, out);
  }
}

void FeedByte(KeyDecoder& d, uint8_t b, const Output& out) {
  if (d.skipping) {
    if (b == kEsc) {
      Reset(d);
      Keep(d, b);
    } else if (!IsParameterOrIntermediate(b)) {
      Reset(d);  // the final byte (or anything else) ends the dropped sequence
      if (!IsFinal(b)) FeedByte(d, b, out);
    }
    return;
  }
  if (d.count == 0) {
    FeedGround(d, b, out);
    return;
  }
  if (d.bytes[0] != kEsc) {
    FeedUtf8(d, b, out);
    return;
  }
  const Pending p = Inspect(d);
  if (p.kind == 0) {
    FeedAfterEscape(d, b, out, p.escapes);
  } else {
    FeedSequence(d, b, out, p);
  }
}

}  // namespace

// ---- Entry points ----

void FeedKeyBytes(KeyDecoder& decoder, std::string_view bytes, KeySink sink, void* context) {
  const Output out{sink, context};
  for (char c : bytes) FeedByte(decoder, static_cast<uint8_t>(c), out);
}

bool KeyDecoderWaiting(const KeyDecoder& decoder) {
  return decoder.count > 0 || decoder.skipping;
}

void FlushKeyBytes(KeyDecoder& decoder, KeySink sink, void* context) {
  const Output out{sink, context};
  const bool escapeStart = decoder.count > 0 && !decoder.skipping && decoder.bytes[0] == kEsc;
  const Pending p = escapeStart ? Inspect(decoder) : Pending{};
  const bool onlyKind = p.kind != 0 && decoder.count == p.bodyStart;
  Reset(decoder);
  if (!escapeStart) return;  // half a character or a dropped sequence
  if (p.kind == 0) {
    out.Char(27);  // ESC alone (or Alt+Esc) is the Esc key
  } else if (onlyKind && p.kind == 'O') {
    out.Scan(LetterScanCode('O'));  // Alt+O
  } else if (onlyKind && p.kind == '[') {
    out.Char('[');  // Alt+[: no letter, so the character itself
  }
}

std::string_view Cp437Glyph(uint8_t b) {
  const Utf8Glyph& g = kGlyphs[b];
  return std::string_view(g.bytes, g.length);
}

int Cp437Byte(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (int b = 0x80; b < 256; ++b) {
    if (kCp437[b] == cp) return b;
  }
  for (int b = 1; b < 0x20; ++b) {
    if (kCp437[b] == cp) return b;
  }
  return kCp437[0x7F] == cp ? 0x7F : -1;
}

}  // namespace life3d
