// Any bytes at all are safe input for the conversions: no crash, no read outside the text, no NaN,
// and the integers the experiment shows read back exactly.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "experiment/numeric_text.h"

namespace {

void requireRoundTrip(double value) {
  const double whole = experiment::floorValue(value);
  if (std::isfinite(value)) {
    // Integral, not above the value, and the next integer above it (where one exists) is.
    if (whole > value || whole != std::trunc(whole)) std::abort();
    if (whole + 1 != whole && !(whole + 1 > value)) std::abort();
  }
  if (std::isfinite(whole) && std::fabs(whole) < 1e15) {
    if (experiment::parseNumber(experiment::formatNumber(whole)) != whole) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = experiment::parseNumber(text);
  if (std::isnan(value)) std::abort();
  requireRoundTrip(value);
  const std::string formatted = experiment::formatNumber(value);
  if (formatted.empty() || (formatted[0] != ' ' && formatted[0] != '-')) std::abort();

  // The same bytes as a raw double reach every corner of formatNumber, NaN and subnormals too.
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    const std::string text2 = experiment::formatNumber(raw);
    if (text2.empty()) std::abort();
    if (!std::isnan(raw)) requireRoundTrip(raw);
  }
  return 0;
}
