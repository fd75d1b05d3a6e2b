#include "ui/startup.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>

#include "engine/messages.h"
#include "settings/settings_file.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/ui_seam.h"

namespace lumivane::ui {

QFont UiFont() {
  QFont font = QApplication::font();
  font.setFamilies({"宋体", "SimSun", "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Droid Sans Fallback"});
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

int RunProgram(int argc, char** argv) {
  // The command line is ignored; Qt still gets it for its own platform options.
  QApplication app(argc, argv);
  QApplication::setFont(UiFont());
  QApplication::setWindowIcon(ProgramIcon(100));

  QtUiSeam seam;
  ProcessingSettings settings;
  MainWindow::Options options;
  MainWindow window(seam, settings, options);
  settings = ProcessingSettings{};
  if (LoadSettings(settings)) {
    window.CopySettingsIntoControls();
    window.SetInitialStates();
  } else {
    seam.ShowMessage(&window, msg::kNoticeCaption, "读取配置信息出错", MessageIcon::kError);
  }
  window.adjustSize();
  window.setFixedSize(window.sizeHint());
  const QRect screen = QApplication::primaryScreen()->geometry();
  window.move((screen.width() - window.frameGeometry().width()) / 2,
              (screen.height() - window.frameGeometry().height()) / 2);
  window.show();
  window.activateWindow();
  window.control(Control::SourceFolderBox)->setFocus();
  window.setWindowIcon(ProgramIcon(103));
  return app.exec();
}

}  // namespace lumivane::ui
