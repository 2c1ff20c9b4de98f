#pragma once

#include <QApplication>
#include <QTest>
#include <memory>
#include <vector>

#include "platform/program_end.h"
#include "sound/multimedia_control.h"
#include "ui/form1.h"

// A program end that records the exit status instead of leaving the event loop.
class RecordingProgramEnd : public platform::ProgramEnd {
 public:
  void end(int exitStatus) override { statuses.push_back(exitStatus); }
  bool ended() const override { return !statuses.empty(); }
  std::vector<int> statuses;
};

// The real window, shown and activated, with the explanation printed. Without a multimedia
// control of the test's own it gets the program's.
struct ShownForm {
  explicit ShownForm(std::unique_ptr<platform::Dialogs> dialogs,
                     std::unique_ptr<platform::Dispatchable> mmControl1 = nullptr) {
    auto end = std::make_unique<RecordingProgramEnd>();
    programEnd = end.get();
    if (!mmControl1) mmControl1 = std::make_unique<sound::MultimediaControl>();
    form = std::make_unique<ui::Form1>(
        ui::FormRuntime{std::move(dialogs), std::move(end), std::move(mmControl1)});
    form->show();
    form->activateWindow();
    shown = QTest::qWaitForWindowActive(form.get());
    QCoreApplication::processEvents();  // the activation handler is queued from the first show
  }

  std::unique_ptr<ui::Form1> form;
  RecordingProgramEnd* programEnd = nullptr;
  bool shown = false;
};
