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
  // What a desktop matches the window to its launcher by, before the window exists: the Wayland
  // app id is the launcher's name, the X11 window class (the application's name) the launcher's
  // StartupWMClass. Both would otherwise be the executable's name, which names no launcher.
  QGuiApplication::setDesktopFileName(QStringLiteral(COLLATZ_APP_ID));
  QCoreApplication::setApplicationName(QStringLiteral(COLLATZ_APP_ID));
  return form;
}

}  // namespace ui
