#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <string>

#include "experiment/numeric_text.h"

namespace {

// Each line: the nearest half, single and double precision bits in hex, then the decimal text.
// The text must read as exactly the double's bits: nearest, ties to even, overflow to infinity,
// underflow to 0 or the nearest subnormal.
class DecimalCorpusTest : public testing::TestWithParam<const char*> {};

TEST_P(DecimalCorpusTest, EveryStringReadsAsItsNearestDouble) {
  const std::string path = std::string(COLLATZ_DECIMAL_CORPUS_DIR) + "/" + GetParam() + ".txt";
  std::ifstream in(path);
  ASSERT_TRUE(in) << "cannot open " << path;
  std::string line;
  int lines = 0;
  int failures = 0;
  while (std::getline(in, line)) {
    ASSERT_GT(line.size(), 31u) << "malformed line " << lines + 1;
    const std::uint64_t bits = std::stoull(line.substr(14, 16), nullptr, 16);
    const std::string text = line.substr(31);
    const std::uint64_t got = std::bit_cast<std::uint64_t>(experiment::parseNumber(text));
    if (got != bits && ++failures <= 10) {
      ADD_FAILURE() << text << ": got 0x" << std::hex << got << ", want 0x" << bits;
    }
    ++lines;
  }
  EXPECT_EQ(failures, 0);
  EXPECT_GT(lines, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, DecimalCorpusTest,
                         testing::Values("exhaustive-float16", "freetype-2-7", "google-wuffs",
                                         "lemire-fast-float", "more-test-cases",
                                         "tencent-rapidjson"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
