#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "platform/dialogs.h"

namespace platform {

// Object names of the dialogs, so tests and tools can tell them apart.
inline constexpr const char* kInputBoxName = "inputBox";
inline constexpr const char* kMessageBoxName = "messageBox";

// The modal prompt and message box as Qt dialogs. They are centred on the parent, or, without
// one, on the window that is active when they open. Raises RuntimeError(kErrorDialogFailed) when
// no dialog can be shown (no application object) or the message box style is unknown.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr);

  std::string inputBox(const std::string& message, const std::string& title) override;
  int messageBox(const std::string& message, int buttons, const std::string& title) override;

 private:
  QWidget* dialogParent() const;

  QPointer<QWidget> parent_;
};

}  // namespace platform
