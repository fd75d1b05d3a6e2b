// Every message box, standard dialog and desktop opening of the window
// goes through this seam, so tests can answer them.
#ifndef LUMIVANE_UI_UI_SEAM_H_
#define LUMIVANE_UI_UI_SEAM_H_

#include <QMessageBox>
#include <QPointer>
#include <optional>
#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/processing_settings.h"
#include "engine/run/window_port.h"

class QWidget;

namespace lumivane::ui {

class UiSeam {
 public:
  virtual ~UiSeam() = default;
  // `owner` null: a box without owner window.
  virtual void ShowMessage(QWidget* owner, const std::string& caption, const std::string& text,
                           MessageIcon icon) = 0;
  virtual bool AskYesNo(QWidget* owner, const std::string& caption, const std::string& text) = 0;
  // Closes the question open last, as answered No: a question about a run
  // that has ended since it was asked.
  virtual void CloseQuestion() = 0;
  // The chosen folder, or none when cancelled. `start` is selected at first.
  virtual std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& title,
                                                     const std::string& start) = 0;
  // A picture file, the dialog starting where `start` (a file or folder) is.
  virtual std::optional<std::string> ChoosePictureFile(QWidget* owner, const std::string& title,
                                                       const std::string& start) = 0;
  // True when the user confirmed; then all six fields change at once.
  // `text` is the mark's: a Chinese one is offered the Chinese faces.
  virtual bool ChooseWatermarkFont(QWidget* owner, FontChoice& font, const std::string& text) = 0;
  // True when confirmed; then `operations` change, and `preset` is the
  // preset chosen (none when the switches are not as one sets them; at the
  // start, the one in effect). The user's presets are kept in
  // `program_folder`.
  // `outputs`: the presets ticked to be made at once.
  virtual bool ChooseExtraOperations(QWidget* owner, const std::string& program_folder,
                                     ExtraOperations& operations, std::optional<Preset>& preset,
                                     std::vector<Preset>& outputs) = 0;
  virtual int OpenWithDesktop(const std::string& target) = 0;
  virtual int OpenInBrowser(const std::string& target) = 0;
};

// The real dialogs and the desktop.
class QtUiSeam : public UiSeam {
 public:
  void ShowMessage(QWidget* owner, const std::string& caption, const std::string& text,
                   MessageIcon icon) override;
  bool AskYesNo(QWidget* owner, const std::string& caption, const std::string& text) override;
  void CloseQuestion() override;
  std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& title,
                                             const std::string& start) override;
  std::optional<std::string> ChoosePictureFile(QWidget* owner, const std::string& title,
                                               const std::string& start) override;
  bool ChooseWatermarkFont(QWidget* owner, FontChoice& font, const std::string& text) override;
  bool ChooseExtraOperations(QWidget* owner, const std::string& program_folder,
                             ExtraOperations& operations, std::optional<Preset>& preset,
                             std::vector<Preset>& outputs) override;
  int OpenWithDesktop(const std::string& target) override;
  int OpenInBrowser(const std::string& target) override;

 private:
  std::vector<QPointer<QMessageBox>> questions_;  // open, the last asked last
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_UI_SEAM_H_
