#include "host/desktop_shortcut.h"

#include "platform/file_system.h"
#include "text/text_codec.h"

namespace lumivane {
namespace {

// A value of type string in a desktop entry: backslashes and control
// characters escaped, so that the reader gets the path back byte for byte.
std::string EntryString(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// One argument of an Exec line: quoted, with the characters that are
// special inside quotes escaped and "%" (a field code) doubled; the string
// escaping applies on top of that.
std::string ExecArgument(std::string_view argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  return EntryString(quoted + "\"");
}

std::string DesktopEntry(const std::string& program_file, const std::string& program_folder) {
  return "[Desktop Entry]\nType=Application\nName=Lumivane\nExec=" + ExecArgument(program_file) +
         "\nPath=" + EntryString(program_folder) +
         "\nIcon=" + EntryString(platform::JoinPath(program_folder, kLauncherIconFile)) +
         "\nTerminal=false\n";
}

}  // namespace

std::string InternetShortcutText(const std::string& program_file,
                                 const std::string& program_folder) {
  return "[InternetShortcut]\r\nURL=" + program_file + "\r\nWorkingDirectory=" + program_folder +
         "\r\nIconFile=" + program_file + "\r\nIconIndex=0";
}

bool CreateDesktopShortcut(const std::string& program_folder, const std::string& program_file,
                           const std::optional<std::string>& desktop_folder) {
  if (!desktop_folder || !platform::MakeDirectories(*desktop_folder)) return false;
  const std::string url = platform::JoinPath(*desktop_folder, "Lumivane.url");
  if (!platform::WriteFileAtomically(
          url, Utf8ToGbk(InternetShortcutText(program_file, program_folder)))) {
    return false;
  }
  if (!platform::DesktopTakesLaunchers()) return true;
  const std::string launcher = platform::JoinPath(*desktop_folder, kLauncherFileName);
  if (!platform::WriteFileAtomically(launcher, DesktopEntry(program_file, program_folder))) {
    return false;
  }
  platform::MakeExecutable(launcher);  // desktops start only executable launchers
  return true;
}

}  // namespace lumivane
