#pragma once

#include <QProcess>
#include <QString>

// An Xvfb server of the test's own, on the first free display number (Xvfb picks it).
class VirtualDisplay {
 public:
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool isRunning() const { return !name_.isEmpty(); }
  QString name() const { return name_; }  // e.g. ":3"
  QString error() const { return error_; }

 private:
  QProcess server_;
  QString name_;
  QString error_;
};
