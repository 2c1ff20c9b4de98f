#include "experiment/trajectory.h"

#include <string>

#include "experiment/numeric_text.h"

namespace experiment {

void runExperiment(ExperimentState& state, platform::TextBox& text1, platform::Label& label1,
                   platform::Dialogs& dialogs) {
  for (;;) {
    platform::setText(text1, "");
    platform::setCaption(label1, "");
    state.sequenceText.clear();
    state.inputText = dialogs.inputBox(kPromptMessage, kPromptTitle);
    state.n = floorValue(parseNumber(state.inputText));
    platform::setCaption(label1, std::string(kLabelPrefix) + formatNumber(state.n));
    if (isAcceptedStart(state.n)) break;
  }
  while (state.n != 1) {
    state.n = nextValue(state.n);
    state.sequenceText += formatNumber(state.n);
    platform::setText(text1, state.sequenceText);
  }
}

}  // namespace experiment
