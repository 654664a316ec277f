#include "app/key_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace life3d {
namespace {

std::string Key(std::initializer_list<int> bytes) {
  std::string key;
  for (int b : bytes) key.push_back(static_cast<char>(b));
  return key;
}

struct ParseCase {
  const char* name;
  std::string text;
  bool ok;
  std::vector<std::string> keys;
};

class ParseKeyScriptTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseKeyScriptTest, ReadsTheKeysOrRefusesTheText) {
  std::vector<std::string> keys = {"left over"};
  EXPECT_EQ(ParseKeyScript(GetParam().text, keys), GetParam().ok);
  EXPECT_EQ(keys, GetParam().keys);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseKeyScriptTest,
    testing::Values(
        ParseCase{"Empty", "", true, {}},
        ParseCase{"PlainBytesOneKeyEach", "Xq +", true, {"X", "q", " ", "+"}},
        ParseCase{"Esc", "a\\e", true, {"a", Key({27})}},
        ParseCase{"Backslash", "\\\\", true, {"\\"}},
        ParseCase{"HexEitherCase", "\\x41\\xfF", true, {"A", Key({0xFF})}},
        ParseCase{"HexZeroIsOneByte", "\\x00", true, {Key({0})}},
        ParseCase{"TwoByteKey", "\\0H", true, {Key({0, 'H'})}},
        ParseCase{
            "TwoByteKeyOfAnEscape", "\\0\\x50\\0\\\\", true, {Key({0, 0x50}), Key({0, '\\'})}},
        ParseCase{"BackslashThenZeroIsTwoKeys", "\\\\0", true, {"\\", "0"}},
        ParseCase{"LoneBackslash", "a\\", false, {}}, ParseCase{"UnknownEscape", "\\n", false, {}},
        ParseCase{"ShortHex", "\\x4", false, {}}, ParseCase{"BadHexDigit", "\\x4g", false, {}},
        ParseCase{"TwoByteKeyWithoutItsByte", "\\0", false, {}}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

// Every one- and two-byte key text, and a pass without a key, survive the
// way from keys to text and back (a pass without a key comes back as the
// blank, which does nothing either).
TEST(FormatKeyScriptTest, EveryKeyTextReadsBackAsItself) {
  std::vector<std::string> keys = {""};
  for (int b = 0; b < 256; ++b) {
    keys.push_back(Key({b}));
    keys.push_back(Key({0, b}));
  }
  std::vector<std::string> back;
  ASSERT_TRUE(ParseKeyScript(FormatKeyScript(keys), back));
  keys[0] = " ";
  EXPECT_EQ(back, keys);
}

TEST(FormatKeyScriptTest, WritesPrintableKeysAsThemselves) {
  EXPECT_EQ(FormatKeyScript({"X", "", "q", "+", Key({27})}), "X q+\\e");
  EXPECT_EQ(FormatKeyScript({Key({0, 72}), "\\", Key({9}), "toolong"}), "\\0H\\\\\\x09 ");
}

}  // namespace
}  // namespace life3d
