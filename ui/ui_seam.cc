#include "ui/ui_seam.h"

#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "platform/shell_open.h"
#include "ui/chinese_file_dialog.h"
#include "ui/font_colour_dialog.h"
#include "ui/more_options_dialog.h"
#include "ui/qt_text.h"

namespace lumivane::ui {
void QtUiSeam::ShowMessage(QWidget* owner, const std::string& caption, const std::string& text,
                           MessageIcon icon) {
  QMessageBox::Icon qicon = icon == MessageIcon::kError     ? QMessageBox::Critical
                            : icon == MessageIcon::kWarning ? QMessageBox::Warning
                                                            : QMessageBox::Information;
  QMessageBox box(qicon, Q(caption), Q(text), QMessageBox::Ok, owner);
  box.exec();
}

bool QtUiSeam::AskYesNo(QWidget* owner, const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Question, Q(caption), Q(text), QMessageBox::Yes | QMessageBox::No,
                  owner);
  questions_.emplace_back(&box);
  const bool yes = box.exec() == QMessageBox::Yes;
  questions_.pop_back();
  return yes;
}

void QtUiSeam::CloseQuestion() {
  if (!questions_.empty() && questions_.back()) questions_.back()->done(QMessageBox::No);
}

std::optional<std::string> QtUiSeam::BrowseForFolder(QWidget* owner, const std::string& title,
                                                     const std::string& start) {
  std::unique_ptr<QFileDialog> dialog(
      NewChineseFileDialog(owner, Q(title), DialogStartFolder(start)));
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly, true);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return dialog->selectedFiles().front().toStdString();
}

std::optional<std::string> QtUiSeam::ChoosePictureFile(QWidget* owner, const std::string& title,
                                                       const std::string& start) {
  std::unique_ptr<QFileDialog> dialog(
      NewChineseFileDialog(owner, Q(title), DialogStartFolder(start)));
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setNameFilter(WatermarkPictureFilter());
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
  return dialog->selectedFiles().front().toStdString();
}

bool QtUiSeam::ChooseWatermarkFont(QWidget* owner, FontChoice& font, const std::string& text) {
  FontColourDialog dialog(font, owner, text);
  if (dialog.exec() != QDialog::Accepted) return false;
  font = dialog.Choice();
  return true;
}

bool QtUiSeam::ChooseExtraOperations(QWidget* owner, const std::string& program_folder,
                                     ExtraOperations& operations, std::optional<Preset>& preset,
                                     std::vector<Preset>& outputs) {
  MoreOptionsDialog dialog(operations, program_folder, owner);
  if (preset) dialog.ShowChosen(preset->name);
  dialog.TickOutputs(outputs);
  if (dialog.exec() != QDialog::Accepted) return false;
  operations = dialog.Operations();
  preset = dialog.ChosenPreset();
  outputs = dialog.TickedOutputs();
  return true;
}

int QtUiSeam::OpenWithDesktop(const std::string& target) { return platform::ShellOpen(target); }
int QtUiSeam::OpenInBrowser(const std::string& target) { return platform::BrowserOpen(target); }

}  // namespace lumivane::ui
