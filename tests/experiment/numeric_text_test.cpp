#include "experiment/numeric_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using experiment::floorValue;
using experiment::formatNumber;
using experiment::parseNumber;

struct ParseCase {
  const char* name;
  std::string text;
  double expected;
};

class ParseNumberTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, ReadsTheNumberAtTheStart) {
  const double got = parseNumber(GetParam().text);
  EXPECT_EQ(got, GetParam().expected) << "text: \"" << GetParam().text << '"';
  EXPECT_EQ(std::signbit(got), std::signbit(GetParam().expected));
}

const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, ParseNumberTest,
    testing::Values(
        ParseCase{"Empty", "", 0}, ParseCase{"Letters", "abc", 0},
        ParseCase{"FullWidthDigits", "\xEF\xBC\x91\xEF\xBC\x91", 0},  // "１１"
        ParseCase{"DigitsThenFullWidth", "1\xEF\xBC\x91", 1},
        ParseCase{"IdeographicSpaceStops",
                  "1\xE3\x80\x80"
                  "2",
                  1},
        ParseCase{"CarriageReturnStops", "1\r2", 1},
        ParseCase{"BlanksTabsLineFeedsEverywhere", " \t1 \n2\t3 ", 123},
        ParseCase{"BlankBetweenDigits", "1 1", 11}, ParseCase{"Plain", "27", 27},
        ParseCase{"Fraction", "7.9", 7.9}, ParseCase{"NegativeFraction", "-3.5", -3.5},
        ParseCase{"PlusSign", "+12", 12}, ParseCase{"SignAlone", "-", 0},
        ParseCase{"NegativeZero", "-0", -0.0}, ParseCase{"LeadingPoint", ".5", 0.5},
        ParseCase{"TrailingPoint", "5.", 5}, ParseCase{"PointAlone", ".", 0},
        ParseCase{"SecondPointStops", "1.2.3", 1.2}, ParseCase{"CommaStops", "1,000", 1},
        ParseCase{"LettersAfterDigits", "12abc", 12}, ParseCase{"Exponent", "1e3", 1000},
        ParseCase{"ExponentUpper", "1E3", 1000}, ParseCase{"ExponentD", "25d-1", 2.5},
        ParseCase{"ExponentDUpper", "2D2", 200}, ParseCase{"ExponentPlus", "1e+2", 100},
        ParseCase{"ExponentWithBlanks", "1 e 3", 1000}, ParseCase{"BareExponentLetter", "12e", 12},
        ParseCase{"BareExponentSign", "12e-", 12}, ParseCase{"ExponentThenLetters", "1e2x", 100},
        ParseCase{"SignBlankDigits", "- 4", -4}, ParseCase{"Overflow", "1e400", kInf},
        ParseCase{"NegativeOverflow", "-1e400", -kInf},
        ParseCase{"HugeExponent", "1e99999999999999999999999", kInf},
        ParseCase{"Underflow", "1e-400", 0},
        ParseCase{"HugeNegativeExponent", "1e-99999999999999999999999", 0},
        ParseCase{"SmallestSubnormal", "4.9406564584124654e-324", 4.9406564584124654e-324},
        ParseCase{"ZeroWithHugeExponent", "0e99999", 0},
        ParseCase{"ManyLeadingZeros", std::string(5000, '0') + "42", 42},
        ParseCase{"LongIntegerOverflows", std::string("1").append(400, '0'), kInf},
        ParseCase{"LongFractionUnderflows", std::string(".").append(400, '0').append("1"), 0},
        ParseCase{"NulStops",
                  std::string("5\0"
                              "5",
                              3),
                  5},
        ParseCase{"InvalidUtf8",
                  "\xFF\xFE"
                  "12",
                  0},
        ParseCase{"HexSixteen", "&H10", 16}, ParseCase{"HexLower", "&hff", 255},
        ParseCase{"HexFourF", "&HFFFF", -1}, ParseCase{"HexMinimum16", "&H8000", -32768},
        ParseCase{"HexFiveDigits", "&H10000", 65536},
        ParseCase{"HexLeadingZeros", "&H0000FFFF", -1}, ParseCase{"HexEightF", "&HFFFFFFFF", -1},
        ParseCase{"HexMinimum32", "&H80000000", -2147483648.0},
        ParseCase{"HexBeyond32Bits", "&H100000000", 4294967296.0},
        ParseCase{"HexSixteenF", "&HFFFFFFFFFFFFFFFF", 0x1p64},
        ParseCase{"HexRoundsToNearest", "&H20000000000001", 9007199254740992.0},
        ParseCase{"HexRoundsUpPastHalf", "&H200000000000011", 0x1.0000000000001p57},
        // Halfway between two doubles but for a 1 far beyond the first 64 bits: rounds up.
        ParseCase{"HexStickyBeyondKept",
                  std::string("&H20000000000001").append(20, '0').append("1"),
                  0x1.0000000000001p137},
        ParseCase{"HexVeryLong", std::string("&H1").append(300, '0'), kInf},
        ParseCase{"HexStopsAtNonDigit", "&H1G", 1}, ParseCase{"HexNoDigits", "&H", 0},
        ParseCase{"HexWithBlanks", "& H 1 0", 16}, ParseCase{"OctalSeventeen", "&O17", 15},
        ParseCase{"OctalLower", "&o777", 511}, ParseCase{"OctalSixteenBitsAllOnes", "&O177777", -1},
        ParseCase{"OctalStopsAtEight", "&O78", 7}, ParseCase{"SignBeforeAmpersand", "-&H10", 0},
        ParseCase{"AmpersandOther", "&X10", 0}),
    [](const testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(ParseNumber, AMegabyteOfInputIsReadSafely) {
  std::string digits(1 << 20, '7');
  EXPECT_EQ(parseNumber(digits), kInf);
  std::string blanks(1 << 20, ' ');
  blanks += "11";
  EXPECT_EQ(parseNumber(blanks), 11);
  std::string hex = std::string("&H").append(1 << 20, 'F');
  EXPECT_EQ(parseNumber(hex), kInf);
}

struct FormatCase {
  const char* name;
  double value;
  const char* expected;
};

class FormatNumberTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumberTest, WritesSignSpaceForm) {
  EXPECT_EQ(formatNumber(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatNumberTest,
    testing::Values(FormatCase{"Eleven", 11, " 11"}, FormatCase{"MinusFour", -4, "-4"},
                    FormatCase{"Zero", 0, " 0"}, FormatCase{"NegativeZero", -0.0, " 0"},
                    FormatCase{"One", 1, " 1"}, FormatCase{"TenMillion", 1e7, " 10000000"},
                    FormatCase{"Beyond32Bits", 2482111348.0, " 2482111348"},
                    FormatCase{"LargestOfAnyStart", 60342610919632.0, " 60342610919632"},
                    FormatCase{"LargestBelowExponentForm", 999999999999999.0, " 999999999999999"},
                    FormatCase{"TenToFifteen", 1e15, " 1E+15"},
                    FormatCase{"FifteenDigitsKept", 1234567890123456789.0, " 1.23456789012346E+18"},
                    FormatCase{"NegativeLarge", -2.5e20, "-2.5E+20"},
                    FormatCase{"ThreeDigitExponent", 1e300, " 1E+300"},
                    FormatCase{"Largest", 1.7976931348623157e308, " 1.79769313486232E+308"},
                    FormatCase{"Half", 0.5, " .5"}, FormatCase{"NegativeFraction", -2.25, "-2.25"},
                    FormatCase{"FractionAboveOne", 7.9, " 7.9"},
                    FormatCase{"FractionRoundedTo15Digits", 0.1 + 0.2, " .3"},
                    FormatCase{"Small", 1e-5, " 1E-05"},
                    FormatCase{"Infinity", std::numeric_limits<double>::infinity(), " Infinity"},
                    FormatCase{"MinusInfinity", -std::numeric_limits<double>::infinity(),
                               "-Infinity"},
                    FormatCase{"NaN", std::numeric_limits<double>::quiet_NaN(), " NaN"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

TEST(FloorValue, RoundsTowardMinusInfinity) {
  const struct {
    double value, expected;
  } cases[] = {{7.9, 7},      {-3.5, -4}, {-0.5, -1},       {5, 5},
               {-4, -4},      {0.999, 0}, {1e7 + 0.5, 1e7}, {60342610919632.0, 60342610919632.0},
               {1e300, 1e300}};
  for (const auto& c : cases) EXPECT_EQ(floorValue(c.value), c.expected) << c.value;
  EXPECT_EQ(floorValue(std::numeric_limits<double>::infinity()),
            std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(floorValue(std::numeric_limits<double>::quiet_NaN())));
}

TEST(Conversions, FormattedIntegersReadBackExactly) {
  // Spread over every magnitude below 10^15, both signs, including each power of ten's neighbours.
  std::uint64_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    const int digits = 1 + static_cast<int>((seed >> 60) % 15);
    double value =
        std::floor(static_cast<double>(seed >> 11) / 9007199254740992.0 * std::pow(10.0, digits));
    if (seed & 1) value = -value;
    ASSERT_EQ(parseNumber(formatNumber(value)), value) << formatNumber(value);
  }
  for (double power = 1; power < 1e15; power *= 10) {
    for (double value : {power - 1, power, power + 1}) {
      ASSERT_EQ(parseNumber(formatNumber(value)), value) << formatNumber(value);
    }
  }
}

}  // namespace
