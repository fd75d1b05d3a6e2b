// Command ids of the menu bar.
#ifndef LUMIVANE_UI_MENU_COMMANDS_H_
#define LUMIVANE_UI_MENU_COMMANDS_H_

namespace lumivane::ui {

inline constexpr int kCreateShortcutCommand = 32769;
inline constexpr int kExitCommand = 32770;
inline constexpr int kHowToUseCommand = 32771;
inline constexpr int kAnnouncementCommand = 32773;
inline constexpr int kHomePageCommand = 32774;
inline constexpr int kAboutCommand = 32775;
inline constexpr int kContextHelpCommand = 32776;
inline constexpr int kMoreOptionsCommand = 32777;

inline constexpr char kProgramVersion[] = "2.1";

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_MENU_COMMANDS_H_
