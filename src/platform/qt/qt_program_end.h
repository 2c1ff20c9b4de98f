#pragma once

#include "platform/program_end.h"

namespace platform {

// Ends the program through the application's event loop: hides every top-level window and makes
// the event loop (and any modal loop inside it) return the exit status. Never blocks. Called
// before the event loop runs, the loop returns the status as soon as it starts.
class QtProgramEnd : public ProgramEnd {
 public:
  void end(int exitStatus) override;
  bool ended() const override { return ended_; }
  int exitStatus() const { return exitStatus_; }

 private:
  bool ended_ = false;
  int exitStatus_ = 0;
};

}  // namespace platform
