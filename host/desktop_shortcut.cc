#include "host/desktop_shortcut.h"

#include <cstdlib>
#include <fstream>

#include "platform/file_system.h"
#include "text/text_codec.h"

namespace lumivane {
namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

// XDG_DESKTOP_DIR="$HOME/Desktop" from user-dirs.dirs, with $HOME expanded.
std::optional<std::string> XdgDesktopDir() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string config = (xdg && *xdg) ? xdg : Home() + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    const std::string prefix = "XDG_DESKTOP_DIR=\"";
    if (line.rfind(prefix, 0) != 0 || line.back() != '"') continue;
    std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
    return value;
  }
  return std::nullopt;
}

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

std::optional<std::string> DesktopFolder() {
  if (Home().empty()) return std::nullopt;
  return XdgDesktopDir().value_or(Home() + "/Desktop");
}

std::string InternetShortcutText(const std::string& program_file,
                                 const std::string& program_folder) {
  return "[InternetShortcut]\r\nURL=" + program_file + "\r\nWorkingDirectory=" + program_folder +
         "\r\nIconFile=" + program_file + "\r\nIconIndex=0";
}

bool CreateDesktopShortcut(const std::string& program_folder, const std::string& program_file,
                           const std::optional<std::string>& desktop_folder) {
  if (!desktop_folder || !platform::MakeDirectories(*desktop_folder)) return false;
  const std::string url = platform::JoinPath(*desktop_folder, "Lumivane.url");
  const std::string launcher = platform::JoinPath(*desktop_folder, kLauncherFileName);
  if (!platform::WriteFileAtomically(
          url, Utf8ToGbk(InternetShortcutText(program_file, program_folder))) ||
      !platform::WriteFileAtomically(launcher, DesktopEntry(program_file, program_folder))) {
    return false;
  }
  platform::MakeExecutable(launcher);  // desktops start only executable launchers
  return true;
}

}  // namespace lumivane
