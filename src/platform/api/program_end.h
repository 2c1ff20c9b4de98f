#pragma once

namespace platform {

// Ends the program: no further handler runs and the windows go away. A real implementation
// leaves the event loop with the exit status; tests record the call instead.
class ProgramEnd {
 public:
  virtual ~ProgramEnd() = default;
  virtual void end(int exitStatus) = 0;
  virtual bool ended() const = 0;
};

}  // namespace platform
