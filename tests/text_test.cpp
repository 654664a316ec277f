#include "text/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "tests/support/upper_case.h"

namespace life3d {
namespace {

struct FormatCase {
  double value;
  int n;
  const char* text;
};

TEST(FormatNumber, WorkedResults) {
  const FormatCase cases[] = {
      {0.5f, 7, " .5"},
      {1.5f, 7, " 1.5"},
      {-0.25f, 7, "-.25"},
      {100, 7, " 100"},
      {1200, 7, " 1200"},
      {40.5f, 7, " 40.5"},
      {1000000, 7, " 1000000"},
      {10000000, 7, " 1E+7"},
      {12345678, 7, " 1.234568E+7"},
      {0.0001234f, 7, " .0001234"},
      {0.00001234f, 7, " 1.234E-5"},
      {0.0000001f, 7, " .0000001"},
      {0.00000001f, 7, " 1E-8"},
      {3.14159265f, 7, " 3.141593"},
      {123456.75f, 7, " 123456.8"},
      {2.0f / 3.0f, 7, " .6666667"},
      {16777215, 15, " 16777215"},
      {-7, 15, "-7"},
      {2.0 / 3.0, 15, " .666666666666667"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, c.n), c.text) << c.value << " n=" << c.n;
  }
}

TEST(FormatNumber, EdgeCases) {
  const FormatCase cases[] = {
      {0.0, 7, " 0"},
      {-0.0, 7, " 0"},           // negative zero is never "-0"
      {9999999.6f, 7, " 1E+7"},  // the float nearest is 10000000
      {1.25, 2, " 1.2"},         // exactly 5 after an even digit: down
      {1.2500001, 2, " 1.2"},    // only digit n+1 is looked at
      {1.35, 2, " 1.4"},         // 5 after an odd digit: up
      {9.96, 2, " 10"},          // carry out of the first digit
      {0.999999, 2, " 1"},
      {-2147483648.0, 15, "-2147483648"},
      {2147483647.0, 15, " 2147483647"},
      {1620, 7, " 1620"},
      {-810, 7, "-810"},
      {16777060, 15, " 16777060"},
      {16777060, 7, " 1.677706E+7"},
      {1e15, 15, " 1E+15"},
      {123456789012345.0, 15, " 123456789012345"},
      {0.1f, 7, " .1"},
      {1e-30f, 7, " 1E-30"},
      {3.4028234663852886e38, 7, " 3.402823E+38"},
      {1.5, 0, " 1.5"},  // 0 means 18 digits
      {0.1, 18, " .100000000000000006"},
      {0.1, 25, " .100000000000000006"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, c.n), c.text) << c.value << " n=" << c.n;
  }
}

TEST(FormatNumber, BufferFormGivesTheSameText) {
  char buf[kNumberTextMax];
  const int len = FormatNumberTo(buf, 12345678, 7);
  EXPECT_EQ(std::string(buf, len), " 1.234568E+7");
}

TEST(FormatNumber, EveryIntegerRoundTripsWith15Digits) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int32_t> dist(INT32_MIN, INT32_MAX);
  for (int i = 0; i < 100000; ++i) {
    const int32_t v = dist(gen);
    const Text t = FormatNumber(v, 15);
    ASSERT_EQ(ParseNumber(t), static_cast<long double>(v)) << t;
    ASSERT_EQ(t[0], v < 0 ? '-' : ' ');
  }
}

// The float rounded to 7 significant digits by looking at the 8th digit only
// (ties to an even 7th digit), computed by scaling in long double, where the
// scaled value is exact for the range drawn below.
long double RoundTo7(float f) {
  const long double a = std::fabs(static_cast<long double>(f));
  int e = static_cast<int>(std::floor(std::log10(a))) + 1;  // a = 0.d1.. x 10^e
  long double scaled = a * std::pow(10.0L, 7 - e);
  if (scaled >= 1e7L) {
    ++e;
    scaled = a * std::pow(10.0L, 7 - e);
  } else if (scaled < 1e6L) {
    --e;
    scaled = a * std::pow(10.0L, 7 - e);
  }
  long double kept = std::floor(scaled);
  const int next = static_cast<int>(std::floor((scaled - kept) * 10));
  const bool odd = std::fmod(kept, 2.0L) == 1;
  if (next > 5 || (next == 5 && odd)) kept += 1;
  const long double r = kept / std::pow(10.0L, 7 - e);
  return f < 0 ? -r : r;
}

TEST(FormatNumber, FloatTextParsesBackToSevenDigitRounding) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> mant(1.0, 10.0);
  std::uniform_int_distribution<int> expo(-9, 6);
  std::bernoulli_distribution neg(0.5);
  for (int i = 0; i < 50000; ++i) {
    float f = static_cast<float>(mant(gen) * std::pow(10.0, expo(gen)));
    if (neg(gen)) f = -f;
    const Text t = FormatNumber(f, 7);
    const long double back = ParseNumber(t);
    const long double want = RoundTo7(f);
    // Both are the same 7-digit decimal; compare as doubles.
    ASSERT_EQ(static_cast<double>(back), static_cast<double>(want)) << t << " from " << f;
  }
}

struct ParseCase {
  std::string text;
  long double value;
};

TEST(ParseNumber, Grammar) {
  using namespace std::string_literals;
  const ParseCase cases[] = {
      {"  \t\n-12.50E+1xyz", -125},
      {"\r5", 0},  // carriage return is not skipped
      {"1.2.3", 1.2L},
      {"", 0},
      {"-", 0},
      {".", 0},
      {"E5", 0},
      {"abc", 0},
      {"1 2", 1},
      {"-.5", -0.5L},
      {" 20", 20},
      {"+7", 7},
      {"0012", 12},
      {".0001234", 0.0001234L},
      {"2.5", 2.5L},
      {"1e3", 1000},
      {"1d3", 1000},
      {"1D-2", 0.01L},
      {"1E", 1},
      {"1E+", 1},
      {"16777215 rest", 16777215},
      {"123456789012345678901", 123456789012345678000.0L},  // 18 digits kept
      {"0.1234567890123456789", 0.123456789012345678L},
      {"1E99999", 0x1p127L},  // exponent capped at 9999, then too large
      {"1E4932", 0x1p127L},   // integer digits + exponent reach 4933
      {"1E-4934", 0},         // integer digits + exponent reach -4933
      {".5E-4933", 0},
      {"0E9999", 0},
      {"&H1F", 31},
      {"&hff", 255},
      {"&O17", 15},
      {"&q17", 15},
      {"&B101", 5},
      {"&17", 15},  // any other byte: octal, taken as the first digit
      {"&H", 0},
      {"&", 0},
      {"\x00"
       "5"s,
       0},
      {"5\x00"
       "5"s,
       5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseNumber(c.text), c.value) << "'" << c.text << "'";
  }
}

TEST(ParseNumber, NegativeZeroEqualsZeroAndFormatsAsZero) {
  const long double z = ParseNumber("-0");
  EXPECT_EQ(z, 0.0L);
  EXPECT_TRUE(std::signbit(z));
  EXPECT_EQ(FormatNumber(static_cast<double>(z), 7), " 0");
}

TEST(ParseNumber, HugeAndTinyValuesStayFinite) {
  EXPECT_TRUE(std::isinf(static_cast<float>(ParseNumber("1E4000"))));
  EXPECT_GT(ParseNumber("1E-4930"), 0.0L);
  EXPECT_EQ(static_cast<float>(ParseNumber("1E-4930")), 0.0f);
  EXPECT_EQ(static_cast<float>(ParseNumber("3.4E38")), 3.4e38f);
}

TEST(TextOps, UpperCase) {
  EXPECT_EQ(UpperCase("tri-mesh, vertices: 3 colore:"), "TRI-MESH, VERTICES: 3 COLORE:");
  EXPECT_EQ(UpperCase("\x84\x94\x81\x82\xA4\x86\x87"), "\x8E\x99\x9A\x90\xA5\x8F\x80");
  EXPECT_EQ(UpperCase(std::string("a\0b\xE9", 4)), std::string("A\0B\xE9", 4));
}

TEST(TextOps, KeywordSearchAgreesWithSearchingTheUpperCasedText) {
  static constexpr Keyword kWords[] = {"X:",        " A:",     "FACE",           "VERTEX 0",
                                       "TRI-MESH,", "COLORE:", "VERTICES:AB1234"};
  std::mt19937 gen(7);
  // Letters of the keywords in both cases, their neighbours in the 0x20 bit
  // and bytes above 127, at every length across the eight-byte words.
  const std::string alphabet = "xXaAfFvVeE0 :-,tTcCoOrR\x81\x84\xA4\xC1\xE1@`{[\x01";
  for (int round = 0; round < 20000; ++round) {
    std::string text(gen() % 41, ' ');
    for (char& c : text) c = alphabet[gen() % alphabet.size()];
    const Keyword& word = kWords[round % std::size(kWords)];
    if (round % 5 == 0 && text.size() >= word.length)  // plant it in a random case
      for (uint32_t k = 0; k < word.length; ++k)
        text[text.size() - word.length + k] =
            gen() % 2 ? word.text[k] : static_cast<char>(std::tolower(word.text[k]));
    const std::string upper = UpperCase(text);
    const size_t at = upper.find(word.text);
    ASSERT_EQ(FindKeyword(text, word), at == std::string::npos ? -1 : static_cast<int32_t>(at))
        << text << " / " << word.text;
    ASSERT_EQ(KeywordAt(text, 0, word), upper.starts_with(word.text)) << text;
  }
}

TEST(TextOps, ParseWholeNumberGivesParseNumbersValueOrDeclines) {
  const struct {
    const char* text;
    bool whole;
  } cases[] = {{"20", true},
               {" \t\n-20 Y:", true},
               {"+7", true},
               {"007", true},
               {"-0", true},
               {"16777215:", true},
               {"2.5", false},
               {"3.", false},
               {"1E1", false},
               {"12d1", false},
               {"", false},
               {"-", false},
               {"\r5", false},
               {"&H1F", false},
               {"7x", true},
               {"5 6", true},
               {"123456789012345678", true},
               {"1234567890123456789", false}};
  for (const auto& c : cases) {
    int64_t value = -1;
    EXPECT_EQ(ParseWholeNumber(c.text, value), c.whole) << c.text;
    if (c.whole) {
      EXPECT_EQ(static_cast<long double>(value), ParseNumber(c.text)) << c.text;
    }
  }
  // Whatever the text, an accepted number is the value ParseNumber gives.
  std::mt19937 gen(11);
  const std::string alphabet = "0123456789+-. eEdD\tx";
  for (int round = 0; round < 100000; ++round) {
    std::string text(gen() % 24, ' ');
    for (char& c : text) c = alphabet[gen() % alphabet.size()];
    int64_t value = 0;
    if (ParseWholeNumber(text.c_str(), value)) {
      ASSERT_EQ(static_cast<long double>(value), ParseNumber(text)) << text;
    }
  }
}

TEST(TextOps, RoundToIntTiesToEven) {
  const struct {
    long double x;
    int32_t want;
  } cases[] = {
      {0.5L, 0},
      {1.5L, 2},
      {2.5L, 2},
      {3.5L, 4},
      {-2.5L, -2},
      {-0.5L, 0},
      {2.4999L, 2},
      {-1.5L, -2},
      {2147483647.0L, 2147483647},
      {2147483647.5L, INT32_MIN},
      {-2147483648.5L, INT32_MIN},
      {-2147483649.0L, INT32_MIN},
      {1e30L, INT32_MIN},
      {NAN, INT32_MIN},
      {INFINITY, INT32_MIN},
      {-INFINITY, INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundToInt(c.x), c.want) << static_cast<double>(c.x);
}

}  // namespace
}  // namespace life3d

namespace life3d {
namespace {

// The 18-digit expansion has a fast exact path and a printf path; both must
// give the same text for any value and digit count.
Text FormatByPrintf(double x, int n) {
  // Reference built from printf's correctly rounded 18 digits.
  if (x == 0) return " 0";
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(x));
  char d[18];
  d[0] = buf[0];
  std::memcpy(d + 1, buf + 2, 17);
  int e = std::atoi(buf + 20) + 1;
  if (n < 18 && (d[n] > '5' || (d[n] == '5' && (d[n - 1] - '0') % 2 == 1))) {
    int i = n - 1;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i >= 0)
      ++d[i];
    else {
      d[0] = '1';
      ++e;
    }
  }
  int k = n;
  while (k > 1 && d[k - 1] == '0') --k;
  Text t(1, x < 0 ? '-' : ' ');
  const std::string digits(d, k);
  if (e > n || (e <= 0 && k - e > n)) {
    t += digits.substr(0, 1);
    if (k > 1) t += "." + digits.substr(1);
    t += e > n ? "E+" + std::to_string(e - 1) : "E-" + std::to_string(1 - e);
  } else if (e >= k) {
    t += digits + std::string(e - k, '0');
  } else if (e > 0) {
    t += digits.substr(0, e) + "." + digits.substr(e);
  } else {
    t += "." + std::string(-e, '0') + digits;
  }
  return t;
}

TEST(TextOps, RoundToIntOfADoubleAgreesWithTheLongDoubleForm) {
  const double values[] = {0.5,
                           1.5,
                           2.5,
                           -0.5,
                           -2.5,
                           0.49999999999999994,
                           2147483647.4,
                           2147483647.5,
                           -2147483648.5,
                           -2147483648.6,
                           1e300,
                           -1e300,
                           4503599627370497.0,
                           std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  for (double v : values) EXPECT_EQ(RoundToInt(v), RoundToInt(static_cast<long double>(v))) << v;
}

TEST(FormatNumber, AgreesWithPrintfDigitsEverywhere) {
  std::mt19937_64 gen(17);
  for (int i = 0; i < 200000; ++i) {
    double x;
    const uint64_t bits = gen();
    if (i % 2 == 0) {
      float f;
      const auto b32 = static_cast<uint32_t>(bits);
      std::memcpy(&f, &b32, 4);
      x = f;
    } else {
      std::memcpy(&x, &bits, 8);
    }
    if (!std::isfinite(x)) continue;
    const int n = 1 + static_cast<int>(bits % 18);
    ASSERT_EQ(FormatNumber(x, n), FormatByPrintf(x, n)) << x << " n=" << n;
    ASSERT_EQ(FormatNumber(x, 7), FormatByPrintf(x, 7)) << x;
  }
  for (double x : {0.125, 1e-5, 123.456, 5e-324, 1.7976931348623157e308, 0.1, 2.5e-8}) {
    EXPECT_EQ(FormatNumber(x, 7), FormatByPrintf(x, 7)) << x;
    EXPECT_EQ(FormatNumber(x, 18), FormatByPrintf(x, 18)) << x;
  }
}

}  // namespace
}  // namespace life3d
