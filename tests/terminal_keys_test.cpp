#include "console/terminal_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/keys.h"

namespace life3d {
namespace {

using Keys = std::vector<std::string>;

std::string Scan(uint8_t code) {
  return std::string{'\0', static_cast<char>(code)};
}
std::string Char(int code) {
  return std::string(1, static_cast<char>(code));
}

void Collect(std::string_view key, void* context) {
  static_cast<Keys*>(context)->emplace_back(key);
}

// Feeds each piece as one read; flushes at the end when the wait is over.
Keys Decode(const std::vector<std::string>& pieces, bool flush) {
  KeyDecoder decoder;
  Keys keys;
  for (const std::string& piece : pieces) FeedKeyBytes(decoder, piece, Collect, &keys);
  if (flush) FlushKeyBytes(decoder, Collect, &keys);
  return keys;
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  Keys expect;
};

class KeyDecoderTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(KeyDecoderTest, DecodesWholeReadAndByteByByte) {
  const DecodeCase& c = GetParam();
  EXPECT_EQ(Decode({c.bytes}, true), c.expect) << "one read";
  std::vector<std::string> bytes;
  for (char b : c.bytes) bytes.emplace_back(1, b);
  EXPECT_EQ(Decode(bytes, true), c.expect) << "one byte per read";
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, KeyDecoderTest,
    testing::Values(
        DecodeCase{"PrintableAsTyped", "xX+-", {"x", "X", "+", "-"}},
        DecodeCase{"CtrlCIsCodeThree", "\x03", {Char(3)}},
        DecodeCase{"CtrlLettersAreControlCodes", "\x01\x1a", {Char(1), Char(26)}},
        DecodeCase{"EnterAndTabKeepTheirCodes", "\r\t", {Char(13), Char(9)}},
        DecodeCase{"BackspaceDelIsCodeEight", "\x7f", {Char(8)}},
        DecodeCase{"LoneEscIsEsc", "\x1b", {Char(27)}},
        DecodeCase{"AltEscIsEsc", "\x1b\x1b", {Char(27)}},
        DecodeCase{
            "XtermArrows", "\x1b[A\x1b[B\x1b[C\x1b[D", {Scan(72), Scan(80), Scan(77), Scan(75)}},
        DecodeCase{"ApplicationModeArrows", "\x1bOA\x1bOD", {Scan(72), Scan(75)}},
        DecodeCase{"ModifiedArrowKeepsItsScanCode", "\x1b[1;5A\x1b[1;2C", {Scan(72), Scan(77)}},
        DecodeCase{
            "XtermHomeEnd", "\x1b[H\x1b[F\x1bOH\x1bOF", {Scan(71), Scan(79), Scan(71), Scan(79)}},
        DecodeCase{"Vt220EditingKeys",
                   "\x1b[1~\x1b[2~\x1b[3~\x1b[4~\x1b[5~\x1b[6~",
                   {Scan(71), Scan(82), Scan(83), Scan(79), Scan(73), Scan(81)}},
        DecodeCase{"RxvtHomeEnd", "\x1b[7~\x1b[8~", {Scan(71), Scan(79)}},
        DecodeCase{"FunctionKeysOneToFourSs3",
                   "\x1bOP\x1bOQ\x1bOR\x1bOS",
                   {Scan(59), Scan(60), Scan(61), Scan(62)}},
        DecodeCase{"FunctionKeysVt220",
                   "\x1b[11~\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~",
                   {Scan(59), Scan(63), Scan(64), Scan(65), Scan(66), Scan(67), Scan(68), Scan(87),
                    Scan(88)}},
        DecodeCase{"ModifiedFunctionKeys", "\x1b[1;2P\x1b[15;5~", {Scan(59), Scan(63)}},
        DecodeCase{"LinuxConsoleFunctionKeys", "\x1b[[A\x1b[[E", {Scan(59), Scan(63)}},
        DecodeCase{"AltLetterIsZeroAndLetterScanCode",
                   "\x1bq\x1bQ\x1b"
                   "a",
                   {Scan(16), Scan(16), Scan(30)}},
        DecodeCase{"CtrlAltLetterIsZeroAndLetterScanCode",
                   "\x1b\x03\x1b\x11\x1b\x01\x1b\x1a\x1b\n",
                   {Scan(0x2e), Scan(0x10), Scan(30), Scan(44), Scan(36)}},
        DecodeCase{"AltTabEnterBackspaceAreTheKeys",
                   "\x1b\t\x1b\r\x1b\b\x1b\x7f\x1b\x1c",
                   {Char(9), Char(13), Char(8), Char(8), Char(0x1c)}},
        DecodeCase{"AltNulIsNoKey", std::string("\x1b\0z", 3), {"z"}},
        DecodeCase{"AltOAloneIsAltLetter", "\x1bO", {Scan(24)}},
        DecodeCase{"AltNonLetterIsTheCharacter",
                   "\x1b"
                   "1\x1b+",
                   {"1", "+"}},
        DecodeCase{"AltPrefixedSequenceIsTheKey", "\x1b\x1b[A", {Scan(72)}},
        DecodeCase{"ShiftTabIsTab", "\x1b[Z", {Char(9)}},
        DecodeCase{
            "UnknownSequencesLeaveNoGarbage", "\x1b[99~\x1b[?1;2c\x1b[200~x\x1b[<0;3;4M", {"x"}},
        DecodeCase{"OverlongSequenceIsDroppedWhole", "\x1b[" + std::string(60, '1') + "~y", {"y"}},
        DecodeCase{"ControlByteAbandonsSequence", "\x1b[1\x03", {Char(3)}},
        DecodeCase{"EscAbandonsSequence", "\x1b[1\x1b[A", {Scan(72)}},
        DecodeCase{"Utf8BecomesCodePage437",
                   "\xc3\xa9\xc3\x87\xe2\x96\x91",
                   {Char(0x82), Char(0x80), Char(0xb0)}},
        DecodeCase{"Utf8OutsideCodePageIsDropped",
                   "\xe2\x82\xac"
                   "a",
                   {"a"}},
        DecodeCase{"InvalidUtf8IsDropped",
                   "\x80\xc3(\xed\xa0\x80\xf5"
                   "b",
                   {"(", "b"}},
        DecodeCase{"NulIsNoKey", std::string("\0z", 2), {"z"}}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

struct SplitCase {
  const char* name;
  std::vector<std::string> pieces;
  bool flush;
  Keys expect;
};

class KeyDecoderSplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(KeyDecoderSplitTest, GivesTheKeysOnlyWhenTheyAreComplete) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(Decode(c.pieces, c.flush), c.expect);
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, KeyDecoderSplitTest,
    testing::Values(
        SplitCase{"EscWithoutFlushIsStillWaiting", {"\x1b"}, false, {}},
        SplitCase{"SequenceSplitAfterEsc", {"\x1b", "[A"}, false, {Scan(72)}},
        SplitCase{"SequenceSplitInItsParameters", {"\x1b[1", "5", "~"}, false, {Scan(63)}},
        SplitCase{"Utf8SplitAcrossReads", {"\xe2", "\x96", "\x91"}, false, {Char(0xb0)}},
        SplitCase{"KeysBeforeAWaitingEscAreGiven", {"ab\x1b"}, false, {"a", "b"}},
        SplitCase{"UnfinishedSequenceIsDroppedOnFlush", {"\x1b[1;5"}, true, {}},
        SplitCase{"HalfCharacterIsDroppedOnFlush", {"\xc3"}, true, {}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(KeyDecoderWaitTest, WaitingOnlyWhileBytesAreKept) {
  KeyDecoder decoder;
  Keys keys;
  EXPECT_FALSE(KeyDecoderWaiting(decoder));
  FeedKeyBytes(decoder, "a", Collect, &keys);
  EXPECT_FALSE(KeyDecoderWaiting(decoder));
  FeedKeyBytes(decoder, "\x1b", Collect, &keys);
  EXPECT_TRUE(KeyDecoderWaiting(decoder));
  FlushKeyBytes(decoder, Collect, &keys);
  EXPECT_FALSE(KeyDecoderWaiting(decoder));
  FeedKeyBytes(decoder, "\x1b[" + std::string(40, '2'), Collect, &keys);
  EXPECT_TRUE(KeyDecoderWaiting(decoder)) << "still dropping an overlong sequence";
  EXPECT_EQ(keys, (Keys{"a", Char(27)}));
}

// Answers to the window-report requests are kept, never keys: the keys
// around them still arrive.
struct ReportCase {
  const char* name;
  std::string bytes;
  WindowReport position, textSize;
};

class WindowReportTest : public testing::TestWithParam<ReportCase> {};

TEST_P(WindowReportTest, KeepsTheFirstWellFormedReportOfEachKind) {
  const ReportCase& c = GetParam();
  for (bool bytewise : {false, true}) {
    KeyDecoder decoder;
    Keys keys;
    if (bytewise) {
      for (char b : "a" + c.bytes + "b") FeedKeyBytes(decoder, std::string(1, b), Collect, &keys);
    } else {
      FeedKeyBytes(decoder, "a" + c.bytes + "b", Collect, &keys);
    }
    EXPECT_EQ(keys, (Keys{"a", "b"})) << "bytewise " << bytewise;
    for (auto [got, want] :
         {std::pair{decoder.position, c.position}, std::pair{decoder.textSize, c.textSize}}) {
      EXPECT_EQ(got.seen, want.seen) << "bytewise " << bytewise;
      EXPECT_EQ(got.first, want.first);
      EXPECT_EQ(got.second, want.second);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Terminal, WindowReportTest,
    testing::Values(
        ReportCase{
            "PositionThenSize", "\x1b[3;120;80t\x1b[8;50;132t", {true, 120, 80}, {true, 50, 132}},
        ReportCase{"OnlyTheFirstOfAKindCounts", "\x1b[8;50;132t\x1b[8;16;22t", {}, {true, 50, 132}},
        ReportCase{"ZeroPositionIsAPlace", "\x1b[3;0;0t", {true, 0, 0}, {}},
        ReportCase{"EmptySizeIsNoSize", "\x1b[8;0;80t", {}, {}},
        ReportCase{"TwoNumbersAreNoReport", "\x1b[8;50t", {}, {}},
        ReportCase{"FourNumbersAreNoReport", "\x1b[3;1;2;4t", {}, {}},
        ReportCase{"EmptyNumberIsNoReport", "\x1b[3;;2t", {}, {}},
        ReportCase{"SixDigitsAreNoReport", "\x1b[8;123456;80t", {}, {}},
        ReportCase{"OtherReportIsIgnored", "\x1b[4;600;800t", {}, {}},
        ReportCase{"PrivateMarkerIsNoReport", "\x1b[?3;1;2t", {}, {}}),
    [](const testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.name); });

TEST(LetterScanCodeTest, MatchesThePcKeyboardRows) {
  const std::string rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
  const int firstScan[] = {0x10, 0x1E, 0x2C};
  for (int r = 0; r < 3; ++r) {
    for (size_t k = 0; k < rows[r].size(); ++k) {
      EXPECT_EQ(LetterScanCode(rows[r][k]), firstScan[r] + static_cast<int>(k)) << rows[r][k];
      EXPECT_EQ(LetterScanCode(static_cast<char>(rows[r][k] - 'a' + 'A')),
                firstScan[r] + static_cast<int>(k));
    }
  }
  EXPECT_EQ(LetterScanCode('1'), 0);
  EXPECT_EQ(LetterScanCode('['), 0);
  EXPECT_EQ(LetterScanCode('@'), 0);
}

TEST(Cp437Test, ControlBytesShowAsTheirPcGlyphs) {
  EXPECT_EQ(Cp437Glyph(0x00), " ");
  EXPECT_EQ(Cp437Glyph(0x01), "\u263a");
  EXPECT_EQ(Cp437Glyph(0x1b), "\u2190");
  EXPECT_EQ(Cp437Glyph('A'), "A");
  EXPECT_EQ(Cp437Glyph(0x7f), "\u2302");
  EXPECT_EQ(Cp437Glyph(0xb0), "\u2591");
  EXPECT_EQ(Cp437Glyph(0xff), "\u00a0");
}

TEST(Cp437Test, NoGlyphIsAControlCharacterOfTheTerminal) {
  for (int b = 0; b < 256; ++b) {
    const std::string_view glyph = Cp437Glyph(static_cast<uint8_t>(b));
    ASSERT_FALSE(glyph.empty()) << b;
    ASSERT_LE(glyph.size(), 3u) << b;
    for (char c : glyph) {
      const auto u = static_cast<uint8_t>(c);
      EXPECT_TRUE(u >= 0x20 && u != 0x7f) << "byte " << b << " sends a control byte";
    }
  }
}

TEST(Cp437Test, EveryGlyphMapsBackToItsByte) {
  for (int b = 1; b < 256; ++b) {
    const std::string_view glyph = Cp437Glyph(static_cast<uint8_t>(b));
    // Decode the UTF-8 glyph back into a code point.
    char32_t cp = static_cast<uint8_t>(glyph[0]);
    if (glyph.size() == 2) cp = ((cp & 0x1F) << 6) | (glyph[1] & 0x3F);
    if (glyph.size() == 3) cp = ((cp & 0x0F) << 12) | ((glyph[1] & 0x3F) << 6) | (glyph[2] & 0x3F);
    EXPECT_EQ(Cp437Byte(cp), b) << "byte " << b;
  }
  EXPECT_EQ(Cp437Byte(0x20AC), -1);  // the euro sign is not on the page
}

}  // namespace
}  // namespace life3d
