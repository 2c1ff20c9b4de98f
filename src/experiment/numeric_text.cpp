#include "experiment/numeric_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace experiment {
namespace {

bool isDroppedBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Walks the text as if every blank, tab and line feed had been removed beforehand.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) { skipBlanks(); }

  // The current character, or '\0' past the end (a '\0' in the text fits no form either).
  char peek() const { return position_ < text_.size() ? text_[position_] : '\0'; }
  void advance() {
    ++position_;
    skipBlanks();
  }

 private:
  void skipBlanks() {
    while (position_ < text_.size() && isDroppedBlank(text_[position_])) ++position_;
  }

  std::string_view text_;
  std::size_t position_ = 0;
};

int digitValue(char c, int radix) {
  int value = -1;
  if (isDigit(c))
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < radix ? value : -1;
}

// Reads a run of hexadecimal (4 bits a digit) or octal (3 bits) digits. The first 64 bits' worth
// of significant digits are kept exactly; later digits only scale the value and, when any of them
// is not zero, set the lowest kept bit. That bit lies far below a double's 53 bits, so the
// conversion still rounds to the nearest double as if every digit had been kept.
double readRadixRun(Reader& reader, int bitsPerDigit) {
  const int radix = 1 << bitsPerDigit;
  const int keptDigits = 64 / bitsPerDigit;
  constexpr int kScaleLimit = 4096;  // any more dropped digits are past the double range anyway
  std::uint64_t kept = 0;
  int keptCount = 0;
  int droppedCount = 0;
  bool droppedNonZero = false;
  for (int digit; (digit = digitValue(reader.peek(), radix)) >= 0; reader.advance()) {
    if (keptCount == 0 && digit == 0) continue;  // leading zeros
    if (keptCount < keptDigits) {
      kept = kept << bitsPerDigit | static_cast<std::uint64_t>(digit);
      ++keptCount;
    } else {
      if (droppedCount < kScaleLimit) ++droppedCount;
      droppedNonZero = droppedNonZero || digit != 0;
    }
  }
  if (droppedCount == 0) {
    // Short runs are the runtime's integers: 16 bits wide, or 32 when 16 do not hold them.
    if (kept <= 0xFFFFu) return static_cast<std::int16_t>(static_cast<std::uint16_t>(kept));
    if (kept <= 0xFFFFFFFFu) return static_cast<std::int32_t>(static_cast<std::uint32_t>(kept));
    return static_cast<double>(kept);
  }
  if (droppedNonZero) kept |= 1;
  return std::ldexp(static_cast<double>(kept), droppedCount * bitsPerDigit);
}

// Adds a decimal digit to a count that saturates well inside the int64 range.
std::int64_t saturatingAppend(std::int64_t value, int digit) {
  constexpr std::int64_t kLimit = std::int64_t{1} << 40;
  return value >= kLimit ? value : value * 10 + digit;
}

double readDecimal(Reader& reader) {
  bool negative = false;
  if (reader.peek() == '+' || reader.peek() == '-') {
    negative = reader.peek() == '-';
    reader.advance();
  }
  // The number's characters without blanks, in the form std::from_chars reads.
  std::string number;
  bool sawDigit = false;
  bool sawPoint = false;
  // Where the leading significant digit stands, as a power of ten; decides overflow from underflow.
  std::int64_t integerDigits = 0;  // significant digits before the point
  std::int64_t fractionZeros = 0;  // zeros after the point before the first significant digit
  bool sawSignificant = false;
  for (char c = reader.peek();; c = reader.peek()) {
    if (isDigit(c)) {
      sawDigit = true;
      if (c != '0') sawSignificant = true;
      if (!sawPoint && sawSignificant) ++integerDigits;
      if (sawPoint && !sawSignificant) ++fractionZeros;
    } else if (c == '.' && !sawPoint) {
      sawPoint = true;
    } else {
      break;
    }
    number += c;
    reader.advance();
  }
  if (!sawDigit) return 0;

  std::int64_t exponent = 0;
  const char letter = reader.peek();
  if (letter == 'e' || letter == 'E' || letter == 'd' || letter == 'D') {
    reader.advance();
    std::string exponentText = "e";
    bool exponentNegative = false;
    if (reader.peek() == '+' || reader.peek() == '-') {
      exponentNegative = reader.peek() == '-';
      exponentText += reader.peek();
      reader.advance();
    }
    bool sawExponentDigit = false;
    for (char c = reader.peek(); isDigit(c); c = reader.peek()) {
      sawExponentDigit = true;
      exponent = saturatingAppend(exponent, c - '0');
      exponentText += c;
      reader.advance();
    }
    if (exponentNegative) exponent = -exponent;
    if (sawExponentDigit)
      number += exponentText;  // a bare exponent letter adds nothing
    else
      exponent = 0;
  }

  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    const std::int64_t leading = integerDigits > 0 ? integerDigits - 1 : -(fractionZeros + 1);
    value = leading + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc{} || end != number.data() + number.size()) {
    value = 0;  // cannot happen for the form built above; never let a partial read through
  }
  return negative ? -value : value;
}

}  // namespace

double parseNumber(std::string_view text) {
  Reader reader(text);
  if (reader.peek() == '&') {
    Reader radix = reader;
    radix.advance();
    const char letter = radix.peek();
    if (letter == 'h' || letter == 'H' || letter == 'o' || letter == 'O') {
      radix.advance();
      return readRadixRun(radix, letter == 'h' || letter == 'H' ? 4 : 3);
    }
    return 0;
  }
  return readDecimal(reader);
}

double floorValue(double value) noexcept { return std::floor(value); }

std::string formatNumber(double value) {
  if (std::isnan(value)) return " NaN";
  std::string out(1, value < 0 ? '-' : ' ');
  const double magnitude = std::fabs(value);
  if (std::isinf(magnitude)) return out + "Infinity";

  char digits[64];
  if (magnitude >= 1e15) {
    // One digit, the point and 14 more, then the exponent; trailing zeros of the mantissa go.
    const auto result =
        std::to_chars(digits, digits + sizeof digits, magnitude, std::chars_format::scientific, 14);
    std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
    const std::size_t e = text.find('e');
    std::string_view mantissa = text.substr(0, e);
    while (mantissa.back() == '0') mantissa.remove_suffix(1);
    if (mantissa.back() == '.') mantissa.remove_suffix(1);
    out += mantissa;
    out += 'E';
    out += text.substr(e + 1);
    return out;
  }
  // Below 10^15 every integer has at most 15 digits, so 15 significant digits write it whole.
  const auto result =
      std::to_chars(digits, digits + sizeof digits, magnitude, std::chars_format::general, 15);
  std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
  if (text.size() > 1 && text[0] == '0' && text[1] == '.') text.remove_prefix(1);
  for (char c : text) out += c == 'e' ? 'E' : c;
  return out;
}

}  // namespace experiment
