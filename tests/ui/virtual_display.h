#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A display server of the test's own, started by the one starter the scripts share
// (scripts/virtual_display.sh serve): an X server, or a headless Wayland compositor.
class VirtualDisplay {
 public:
  enum class Kind { kX11, kWayland };

  explicit VirtualDisplay(Kind kind);
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool isRunning() const { return !clientVariables_.isEmpty(); }
  QString error() const { return error_; }
  // The environment with this display as the only one a client can open.
  QProcessEnvironment clientEnvironment(QProcessEnvironment environment) const;
  // Runs the starter's command about this display (wayland-toplevel, wayland-screenshot): its
  // output without the last line break, or an empty string when it fails.
  QString starterCommand(const QStringList& arguments) const;

 private:
  QProcess starter_;
  QProcessEnvironment clientVariables_;
  QString starterDir_;  // the starter's folder for this display: VD_DIR
  QString error_;
};
