// The program's start-up, in its fixed order, and the message loop.
#ifndef LUMIVANE_UI_STARTUP_H_
#define LUMIVANE_UI_STARTUP_H_

#include <QFont>
#include <QIcon>
#include <string>

namespace lumivane::ui {

// The face "宋体" at the default GUI size; where it is missing, installed
// Chinese fonts stand in so that no text shows as boxes.
QFont UiFont();
// Icon group 100, 101 or 103 of the program's resources.
QIcon ProgramIcon(int group);

// Qt's own texts (Yes, No, OK, the file, colour and font dialogs) in
// Chinese, whatever the machine's language: the program is Chinese
// throughout. Call once the application exists.
void InstallChineseTranslations();

// The guide shipped with the program, wherever it is: in the program
// folder, beside the installed program (its data or documentation
// folder), or in the build tree; "" when none is there.
std::string GuideFile(const std::string& program_file, const std::string& program_folder);

int RunProgram(int argc, char** argv);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_STARTUP_H_
