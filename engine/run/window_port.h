// The one way the engine reaches the main window while it works: progress,
// log lines, messages and typed questions. The window implements it
// (carrying each call out on its own thread); tests implement it with a
// scripted fake. What the user asked comes in the run request.
#ifndef LUMIVANE_ENGINE_RUN_WINDOW_PORT_H_
#define LUMIVANE_ENGINE_RUN_WINDOW_PORT_H_

#include <string>

#include "engine/run/run_request.h"

namespace lumivane {

enum class MessageIcon { kError, kWarning, kInformation };

// What a question asks, so a front end without a window can answer it by
// its own rules rather than by its text.
enum class Question {
  kOverwrite,   // may existing outputs be replaced?
  kOpenTarget,  // the run is done: open the target folder?
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Modal, owned by the main window.
  virtual void ShowMessage(const std::string& caption, const std::string& text,
                           MessageIcon icon) = 0;
  // Question icon, Yes and No; true for Yes.
  virtual bool AskYesNo(Question question, const std::string& caption, const std::string& text) = 0;
  // The run ends because the user would not let outputs be replaced.
  virtual void TellCancelled() = 0;

  virtual void AppendLogLine(const std::string& line) = 0;
  virtual void SetProgressRange(int maximum) = 0;
  virtual void SetProgressPosition(int position) = 0;
  // Pictures reported so far out of all the run will process (counted in
  // pictures whatever the bar steps by); first with 0 as the run starts.
  virtual void SetPictureCount(int /*done*/, int /*total*/) {}
  // A watching run waits for pictures to arrive in `source`.
  virtual void WaitingForArrivals(const std::string& /*source*/) {}
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_WINDOW_PORT_H_
