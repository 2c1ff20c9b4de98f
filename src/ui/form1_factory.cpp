#include "ui/form1_factory.h"

#include <QGuiApplication>

#include "platform/qt_dialogs.h"
#include "platform/qt_program_end.h"
#include "sound/multimedia_control.h"
#include "ui/form1.h"

namespace ui {

std::unique_ptr<QWidget> createForm1() {
  auto form = std::make_unique<Form1>(FormRuntime{std::make_unique<platform::QtDialogs>(),
                                                  std::make_unique<platform::QtProgramEnd>(),
                                                  std::make_unique<sound::MultimediaControl>()});
  // The window's icon, shared, also for the prompt and the message box.
  QGuiApplication::setWindowIcon(form->windowIcon());
  return form;
}

}  // namespace ui
