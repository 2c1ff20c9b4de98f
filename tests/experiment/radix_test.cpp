#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "experiment/numeric_text.h"

namespace {

using experiment::parseNumber;

// What a run of digits worth `value` must read as: 16 bits wide where they hold it, else 32.
double asRuntimeInteger(std::uint32_t value) {
  if (value <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  return static_cast<std::int32_t>(value);
}

TEST(RadixForms, EveryHexRunOfOneToFourDigits) {
  char text[16];
  for (int width = 1; width <= 4; ++width) {
    const std::uint32_t count = 1u << (4 * width);
    for (std::uint32_t value = 0; value < count; ++value) {
      std::snprintf(text, sizeof text, "&H%0*X", width, value);
      ASSERT_EQ(parseNumber(text), asRuntimeInteger(value)) << text;
      std::snprintf(text, sizeof text, "&h%0*x", width, value);
      ASSERT_EQ(parseNumber(text), asRuntimeInteger(value)) << text;
    }
  }
  EXPECT_EQ(parseNumber("&HFFFF"), -1);
  EXPECT_EQ(parseNumber("&H8000"), -32768);
  EXPECT_EQ(parseNumber("&H7FFF"), 32767);
}

TEST(RadixForms, EveryOctalRunUpToSixDigits) {
  char text[16];
  for (int width = 1; width <= 6; ++width) {
    const std::uint32_t count = 1u << (3 * width);
    for (std::uint32_t value = 0; value < count; ++value) {
      std::snprintf(text, sizeof text, "&O%0*o", width, value);
      ASSERT_EQ(parseNumber(text), asRuntimeInteger(value)) << text;
    }
  }
  EXPECT_EQ(parseNumber("&O177777"), -1);
  EXPECT_EQ(parseNumber("&O200000"), 65536);
}

TEST(RadixForms, ThirtyTwoBitRunsAcrossTheirRange) {
  char text[32];
  for (std::uint64_t value = 0x10000; value <= 0xFFFFFFFFu; value += 0x10001u * 97) {
    std::snprintf(text, sizeof text, "&H%llX", static_cast<unsigned long long>(value));
    ASSERT_EQ(parseNumber(text), asRuntimeInteger(static_cast<std::uint32_t>(value))) << text;
    std::snprintf(text, sizeof text, "&O%llo", static_cast<unsigned long long>(value));
    ASSERT_EQ(parseNumber(text), asRuntimeInteger(static_cast<std::uint32_t>(value))) << text;
  }
}

TEST(RadixForms, LongRunsRoundToNearestDouble) {
  // 2^53 + 1 lies halfway between two doubles: ties go to the even one, any lower 1 bit breaks it.
  EXPECT_EQ(parseNumber("&H20000000000001"), 9007199254740992.0);
  EXPECT_EQ(parseNumber("&H20000000000003"), 9007199254740996.0);
  EXPECT_EQ(parseNumber("&H200000000000010"), 0x1p57);
  EXPECT_EQ(parseNumber("&H2000000000000100000000000000000001"), 0x1.0000000000001p133);
  EXPECT_EQ(parseNumber("&H2000000000000100000000000000000000"), 0x1p133);
  EXPECT_EQ(parseNumber("&O1000000000000000000001"), 0x1p63);
}

}  // namespace
