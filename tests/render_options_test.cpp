#include "tools/render_options.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/key_script.h"

namespace life3d {
namespace {

bool Parse(std::vector<std::string> args, RenderOptions& options, std::string& error) {
  args.insert(args.begin(), "life3d-render");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  return ParseRenderOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

std::string Zeros(int n) {
  return std::string(n, '0');
}

struct RefusedCase {
  const char* name;
  std::vector<std::string> args;
  std::string says;  // a part of the one-line reason
};

class RefusedOptionsTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOptionsTest, GiveOneLineThatSaysWhy) {
  RenderOptions options;
  std::string error;
  EXPECT_FALSE(Parse(GetParam().args, options, error));
  EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Options, RefusedOptionsTest,
    testing::Values(
        RefusedCase{
            "KeysWithoutPasses", {"--keys", "X", "--out", "a.png"}, "--keys needs --passes"},
        RefusedCase{"KeysFileWithoutPasses",
                    {"--keys-file", "k", "--out", "a.png"},
                    "--keys-file needs --passes"},
        RefusedCase{"KeysAndKeysFile",
                    {"--keys-file", "k", "--keys", "", "--passes", "1", "--out", "a.png"},
                    "give one of them"},
        RefusedCase{"KeysFileWithBench", {"--bench", "--keys-file=-"}, "leave --keys and"},
        RefusedCase{"KeysFileWithoutName", {"--keys-file="}, "wants a file name"},
        RefusedCase{"BadEscapeByItsByte", {"--keys", "ab\\q"}, "'\\\\q' at byte 3"},
        RefusedCase{"AngleRoundingToInfinity",
                    {"--angles", "340282356779733661637539395458142568448,0,0"},
                    "a 32-bit float can hold"},
        RefusedCase{"AngleWithExponent", {"--angles", "1e39,0,0"}, "plain decimals"},
        RefusedCase{"SeedWithExponent", {"--seed", "1e-320"}, "plain decimal"},
        RefusedCase{
            "SeedRoundingToTheDaysEnd", {"--seed", "86399.99999999999999999"}, "SECONDS < 86400"},
        RefusedCase{"NewlineInAValue", {"--seed", "1\n2"}, "not '1\\n2'"},
        RefusedCase{"NewlineInAnOption", {"--a\nb"}, "unknown option '--a\\nb'"}),
    [](const auto& info) { return info.param.name; });

TEST(RenderOptionsTest, DecimalsRoundOnceToTheTypeTheyAreKeptIn) {
  RenderOptions o;
  std::string error;
  // 1e-320 (a subnormal double) written out; below half the smallest
  // subnormal a seed is 0. The largest float is accepted as an angle, and so
  // is a decimal just below the midpoint above it, which rounds down to it.
  const std::string seed = "0." + Zeros(319) + "1";
  ASSERT_TRUE(Parse({"--seed", seed, "--out", "a.png", "--angles",
                     "340282356779733661637539395458142568447,-0." + Zeros(50) + "1,1.1"},
                    o, error))
      << error;
  EXPECT_EQ(o.seed, 1e-320);
  EXPECT_EQ(o.angleX, FLT_MAX);
  EXPECT_EQ(o.angleY, -0.0f);
  EXPECT_EQ(o.angleZ, 1.1f);
  RenderOptions tiny;
  ASSERT_TRUE(Parse({"--seed", "0." + Zeros(330) + "1", "--out", "a.png"}, tiny, error));
  EXPECT_EQ(tiny.seed, 0.0);
}

TEST(RenderOptionsTest, KeysFileIsKeptForTheToolToRead) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--keys-file", "/no/such/file", "--passes", "0", "--out", "a.png"}, o, error));
  EXPECT_EQ(o.keysFile, "/no/such/file");
  EXPECT_TRUE(o.keysGiven);
}

struct ScriptCase {
  const char* name;
  std::string text;
  std::vector<std::string> keys;
};

class KeyScriptTest : public testing::TestWithParam<ScriptCase> {};

TEST_P(KeyScriptTest, GivesOneKeyPerPassThenNone) {
  const ScriptCase& c = GetParam();
  std::string error;
  ASSERT_TRUE(CheckKeyScript(c.text, "--keys", error)) << error;
  KeyScript script{c.text};
  for (const std::string& key : c.keys) EXPECT_EQ(NextScriptedKey(&script), key);
  EXPECT_EQ(NextScriptedKey(&script), "");
  EXPECT_EQ(NextScriptedKey(&script), "");
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyScriptTest,
    testing::Values(ScriptCase{"Empty", "", {}},
                    ScriptCase{"PlainBytes", "Xq +\n", {"X", "q", " ", "+", "\n"}},
                    ScriptCase{"Escapes", "\\e\\\\\\x41\\xfF", {"\x1b", "\\", "A", "\xff"}},
                    ScriptCase{
                        "TwoByteKeys",
                        "\\0H\\0\\x50\\0\\\\",
                        {std::string("\0H", 2), std::string("\0P", 2), std::string("\0\\", 2)}},
                    ScriptCase{"ZeroByteAlone", "\\x00", {std::string(1, '\0')}}),
    [](const auto& info) { return info.param.name; });

TEST(KeyScriptCheckTest, RefusesABadEscapeAtItsByte) {
  const struct {
    std::string text, says;
  } cases[] = {
      {"\\", "'\\\\' at byte 1"},       {"ab\\x4", "'\\\\x4' at byte 3"},
      {"\\0", "'\\\\0' at byte 1"},     {"x\\0\\q", "'\\\\0\\\\q' at byte 2"},
      {"\\xg0", "'\\\\xg0' at byte 1"}, {"\\E", "'\\\\E' at byte 1"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(CheckKeyScript(c.text, "--keys", error)) << c.text;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST(KeyScriptFileTest, LosesOneFinalLineFeedAndKeepsItsLimit) {
  char name[] = "/tmp/life3d-keys-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  const struct {
    std::string bytes;
    size_t maxBytes;
    bool ok;
    std::string text;
  } cases[] = {
      {"XX\n", 2, true, "XX"},
      {"XX\n\n", 3, true, "XX\n"},
      {"XX", 2, true, "XX"},
      {"XXX\n", 2, false, ""},
      {"\n", 0, true, ""},
      {"a\\q\n", 9, false, ""},
      {std::string(200000, 'z'), 200000, true, std::string(200000, 'z')},
  };
  for (const auto& c : cases) {
    FILE* f = std::fopen(name, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
    std::fclose(f);
    std::string text, error;
    EXPECT_EQ(ReadKeyScriptFile(name, c.maxBytes, text, error), c.ok) << c.bytes.size();
    if (c.ok) {
      EXPECT_EQ(text, c.text);
    }
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
  unlink(name);
  std::string text, error;
  EXPECT_FALSE(ReadKeyScriptFile(name, 10, text, error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

}  // namespace
}  // namespace life3d
