// The window's event handlers. Each runs through the default error report (Form1::runHandler)
// and catches nothing itself.
#include "experiment/trajectory.h"
#include "platform/controls.h"
#include "platform/exit_status.h"
#include "platform/label_widget.h"
#include "platform/picture_area.h"
#include "platform/text_box_widget.h"
#include "sound/cue_player.h"
#include "ui/explanation.h"
#include "ui/form1.h"
#include "ui/form1_layout.h"

namespace ui {

void Form1::Form_Activate() {
  for (const std::string& line : explanationLines()) platform::printLine(*picture1_, line);
}

void Form1::Command1_Click() { experiment::runExperiment(state_, *text1_, *label1_, dialogs()); }

void Form1::Command2_Click() {
  sound::playCue(mmControl1(), sound::kExitCue);
  if (dialogs().messageBox(std::string(kExitMessage), platform::kMessageBoxOkOnly,
                           std::string(kExitTitle)) == platform::kAnswerOk) {
    programEnd().end(platform::kNormalExitStatus);
  }
}

void Form1::Command3_Click() {
  sound::playCue(mmControl1(), sound::kInitCue);
  platform::setText(*text1_, "");
  platform::setCaption(*label1_, "");
  state_.sequenceText.clear();
}

}  // namespace ui
