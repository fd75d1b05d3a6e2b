#include "ui/startup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <string>
#include <vector>

#include "announce/announcement_list.h"
#include "announce/download.h"
#include "engine/run/messages.h"
#include "host/desktop_shortcut.h"
#include "host/imaging_registration.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"
#include "settings/options_file.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"
#include "ui/announcement_item.h"
#include "ui/help_bubble.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/menu_commands.h"
#include "ui/start_folder.h"
#include "ui/ui_seam.h"

namespace lumivane::ui {

QFont UiFont() {
  QFont font = QApplication::font();
  font.setFamilies(
      {"宋体", "SimSun", "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Droid Sans Fallback"});
  font.setWeight(QFont::Normal);
  return font;
}

QIcon ProgramIcon(int group) {
  QIcon icon;
  for (int size : {48, 32, 24, 16}) {
    icon.addFile(QString(":/icons/%1_%2.png").arg(group).arg(size), QSize(size, size));
  }
  return icon;
}

void InstallChineseTranslations() {
  // Sizes, dates and names in Chinese whatever the environment says (the
  // file dialogs take the system's locale, the rest the default).
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  auto* translator = new QTranslator(qApp);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  }
}

namespace {

void InstallShortcutCommand(MainWindow& window, UiSeam& seam, const std::string& program_folder,
                            const std::string& program_file) {
  window.SetMenuHandler(kCreateShortcutCommand, [&window, &seam, program_folder, program_file] {
    const auto desktop = platform::DesktopFolder();
    if (CreateDesktopShortcut(program_folder, program_file, desktop)) {
      // Said where, as a desktop may be a folder the user does not look in.
      seam.ShowMessage(
          &window, msg::kNoticeCaption,
          "在桌面上成功创建了一个快捷方式：\n" + platform::JoinPath(*desktop, kLauncherFileName),
          MessageIcon::kInformation);
    } else {
      seam.ShowMessage(&window, msg::kNoticeCaption,
                       "无法在桌面文件夹创建快捷方式：" + desktop.value_or("（没有主文件夹）"),
                       MessageIcon::kError);
    }
  });
}

// The window in the middle of the primary screen, at the size its
// controls need.
void PlaceWindow(MainWindow& window) {
  window.adjustSize();
  window.setFixedSize(window.sizeHint());
  const QRect screen = QApplication::primaryScreen()->geometry();
  window.move((screen.width() - window.frameGeometry().width()) / 2,
              (screen.height() - window.frameGeometry().height()) / 2);
}

}  // namespace

std::string GuideFile(const std::string& program_file, const std::string& program_folder) {
  std::vector<std::string> places{platform::JoinPath(program_folder, "guide.html")};
  if (const std::string shared = SharedDataFolder(program_file); !shared.empty()) {
    const std::string bin = program_file.substr(0, program_file.rfind(platform::kPathSeparator));
    places.push_back(platform::JoinPath(shared, "guide.html"));
    places.push_back(platform::JoinPath(bin, "../share/doc/lumivane/guide.html"));
    // The build tree: build/ui/lumivane beside build/man.
    places.push_back(platform::JoinPath(bin, "../man/guide.html"));
  }
  for (const std::string& guide : places) {
    if (platform::PathIsRegularFile(guide)) return guide;
  }
  return "";
}

namespace {

// The settings and the operations in effect into the window; a settings
// file that cannot be read is told.
void LoadIntoWindow(MainWindow& window, ProcessingSettings& settings, UiSeam& seam,
                    const std::string& folder) {
  settings = ProcessingSettings{};
  if (LoadSettings(folder, settings)) {
    window.CopySettingsIntoControls();
    window.SetInitialStates();
  } else {
    seam.ShowMessage(&window, msg::kNoticeCaption, msg::kCannotReadSettings, MessageIcon::kError);
  }
  std::string preset;
  std::vector<std::string> outputs;
  window.SetExtraOperations(LoadExtraOperations(folder, &preset, &outputs));
  window.RestorePreset(preset, outputs);
}

}  // namespace

int RunProgram(int argc, char** argv) {
  // Qt takes its own platform options; a folder left is the source.
  QApplication app(argc, argv);
  std::vector<std::string> arguments;
  for (const QString& a : QApplication::arguments().mid(1)) arguments.push_back(a.toStdString());
  const StartFolder start = StartFolderOf(arguments);
  InstallChineseTranslations();
  QApplication::setFont(UiFont());
  QApplication::setWindowIcon(ProgramIcon(100));
  QtUiSeam seam;

  platform::RegistryStore store(platform::RegistryStore::DefaultFile());
  const std::string program_file = platform::ExecutablePath();
  auto show_error = [&seam](const std::string& text) {
    seam.ShowMessage(nullptr, "错误", text, MessageIcon::kError);
  };
  if (!CheckImagingRegistration(store, program_file, show_error)) return -1;
  // Started from a folder that is no program folder (a terminal anywhere),
  // the installed program works in the user's own, as from the menu. The
  // one change of folder: a relative watermark picture in the settings is
  // found in the program folder.
  if (!IsProgramFolder(platform::CurrentDirectory())) {
    if (const auto mine = PrepareUserProgramFolder(program_file)) platform::ChangeDirectory(*mine);
  }
  const std::string start_folder = platform::CurrentDirectory();
  DownloadAnnouncements(start_folder);
  const auto announcements = LoadAnnouncements(platform::JoinPath(start_folder, kAnnouncementFile));
  if (!announcements) {
    seam.ShowMessage(nullptr, msg::kNoticeCaption, "因相关配置文件不存在，启动失败。",
                     MessageIcon::kError);
    return -1;
  }

  ProcessingSettings settings;
  MainWindow::Options options;
  options.with_announcements = announcements->count() > 0;
  options.program_folder = start_folder;
  options.guide_file = GuideFile(program_file, start_folder);
  MainWindow window(seam, settings, options);
  InstallShortcutCommand(window, seam, start_folder, program_file);
  LoadIntoWindow(window, settings, seam, start_folder);
  PlaceWindow(window);
  window.show();
  if (announcements->count() > 0) new AnnouncementItem(window, *announcements);
  HelpBubble bubble(window);
  window.activateWindow();
  window.control(Control::SourceFolderBox)->setFocus();
  if (!start.folder.empty()) window.TakeSourceFolder(start.folder);
  if (!start.problem.empty()) {
    seam.ShowMessage(&window, msg::kNoticeCaption, start.problem, MessageIcon::kWarning);
  }
  window.setWindowIcon(ProgramIcon(103));
  return app.exec();
}

}  // namespace lumivane::ui
