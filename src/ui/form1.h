#pragma once

#include <QPushButton>
#include <QWidget>
#include <memory>

#include "experiment/trajectory.h"
#include "platform/dialogs.h"
#include "platform/handler_guard.h"
#include "platform/late_bound.h"
#include "platform/program_end.h"

class QPaintEvent;
class QShowEvent;

namespace platform {
class LabelWidget;
class PictureArea;
class TextBoxWidget;
}  // namespace platform

namespace ui {

// What the window needs of the runtime beyond its own widgets, all three required: the modal
// dialogs, the way the program ends, and the multimedia control that plays the cues. The program
// passes the Qt ones and the sound layer's control (createForm1); tests pass their own.
struct FormRuntime {
  std::unique_ptr<platform::Dialogs> dialogs;
  std::unique_ptr<platform::ProgramEnd> programEnd;
  std::unique_ptr<platform::Dispatchable> mmControl1;
};

// The program's one window. It owns the experiment state and the controls, named as the layout
// names them, and routes the window's events to its handlers; every handler runs through the
// default error report.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(FormRuntime runtime, QWidget* parent = nullptr);
  ~Form1() override;

  QPushButton& command1() { return *command1_; }
  QPushButton& command2() { return *command2_; }
  QPushButton& command3() { return *command3_; }
  platform::TextBoxWidget& text1() { return *text1_; }
  platform::LabelWidget& label1() { return *label1_; }
  platform::PictureArea& picture1() { return *picture1_; }
  platform::Dispatchable& mmControl1() { return *runtime_.mmControl1; }
  const experiment::ExperimentState& state() const { return state_; }

  platform::Dialogs& dialogs() { return *runtime_.dialogs; }
  platform::ProgramEnd& programEnd() { return *runtime_.programEnd; }

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // The window's event handlers (form1_handlers.cpp).
  void Form_Activate();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  void createControls();
  void connectHandlers();
  void runHandler(void (Form1::*handler)());

  FormRuntime runtime_;
  platform::HandlerGuard guard_;
  experiment::ExperimentState state_;
  bool activated_ = false;

  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QPushButton* command3_ = nullptr;
  platform::TextBoxWidget* text1_ = nullptr;
  platform::LabelWidget* label1_ = nullptr;
  platform::PictureArea* picture1_ = nullptr;
};

}  // namespace ui
