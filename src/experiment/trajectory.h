#pragma once

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

// Runs one experiment: empties the text box and the label, asks for a start value until one in
// kSmallestStart..kLargestStart is given (emptying both controls before each prompt), shows it in
// the label and runs the 3x+1 map down to 1, giving the text box the whole trajectory after each
// step. Catches nothing: a failing control or dialog raises platform::RuntimeError.
void runExperiment(ExperimentState& state, platform::TextBox& text1, platform::Label& label1,
                   platform::Dialogs& dialogs);

}  // namespace experiment
