#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "platform/dialogs.h"

namespace experiment {

// The window's experiment state. It lives as long as the window and starts out empty and 0.
struct ExperimentState {
  std::string inputText;     // the raw answer of the most recent prompt; empty when cancelled
  double n = 0;              // the current value: the start, then each value reached, 1 at the end
  std::string sequenceText;  // every value reached after the start, in sign-space form, joined
};

// The texts of the experiment's prompt and label (UTF-8).
inline constexpr const char* kPromptMessage =
    "Please enter an integer between 3 and 10000000 in half-width characters.";
inline constexpr const char* kPromptTitle = "\u3000Problem of (3x+1)";
inline constexpr const char* kLabelPrefix = "     \uFF4E\uFF1D";  // five blanks, "ｎ＝"

inline constexpr double kSmallestStart = 3;
inline constexpr double kLargestStart = 10000000;

// Both bounds are inclusive; NaN and the infinities are refused.
inline bool isAcceptedStart(double n) noexcept { return n >= kSmallestStart && n <= kLargestStart; }

// Parity of an integral double, exact for every finite value: below 2^53 the value converts to a
// 64-bit integer without loss; from 2^53 on every double is an even integer.
inline bool isEven(double n) noexcept {
  constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
  if (std::fabs(n) < kExactIntegers) {
    const auto whole = static_cast<std::int64_t>(n);
    return static_cast<double>(whole) == n && whole % 2 == 0;
  }
  return std::isfinite(n);
}

// One step of the 3x+1 map: halve an even value, otherwise multiply by 3 and add 1.
inline double nextValue(double n) noexcept { return isEven(n) ? n / 2 : n * 3 + 1; }

// Runs one experiment: empties the text box and the label, asks for a start value until one in
// kSmallestStart..kLargestStart is given (emptying both controls before each prompt), shows it in
// the label and runs the 3x+1 map down to 1, giving the text box the whole trajectory after each
// step. Catches nothing: a failing control or dialog raises platform::RuntimeError.
void runExperiment(ExperimentState& state, platform::TextBox& text1, platform::Label& label1,
                   platform::Dialogs& dialogs);

}  // namespace experiment
