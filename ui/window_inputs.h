// Between the window's controls and the engine's inputs: what the user
// typed and chose, read when a run or a preview starts, and the control
// that answers for each input the engine may refuse.
#ifndef LUMIVANE_UI_WINDOW_INPUTS_H_
#define LUMIVANE_UI_WINDOW_INPUTS_H_

#include <vector>

#include "engine/run/basic_rows.h"
#include "engine/run/run_request.h"
#include "ui/controls.h"

namespace lumivane::ui {

class MainWindow;

UserInputs ReadInputs(const MainWindow& window);

// The inputs into the controls of the window's rows: the values (texts
// and choices), or the switches.
enum class Shown { kValues, kSwitches };
void ShowInputs(MainWindow& window, const UserInputs& inputs, Shown which);

// The row's input a control shows; none for a control of no row.
const WindowInput* WindowInputOf(Control control);

// The controls a switch of the window's own settings (not a mark's, which
// turns its whole group) turns on and off: its row's other controls.
std::vector<Control> FollowersOf(Control control);

// The control that takes the focus after a refusal of `field`.
Control ControlFor(Field field);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_WINDOW_INPUTS_H_
