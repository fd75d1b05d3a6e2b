// Answers the window's dialogs from a script and records what was shown.
#ifndef LUMIVANE_TESTS_SCRIPTED_UI_SEAM_H_
#define LUMIVANE_TESTS_SCRIPTED_UI_SEAM_H_

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/ui_seam.h"

namespace lumivane::testing {

class ScriptedUiSeam : public ui::UiSeam {
 public:
  void ShowMessage(QWidget*, const std::string& caption, const std::string& text,
                   MessageIcon) override {
    shown.push_back(caption + "|" + text);
  }
  bool AskYesNo(QWidget*, const std::string& caption, const std::string& text) override {
    shown.push_back("ask " + caption + "|" + text);
    if (on_question) on_question(text);
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void CloseQuestion() override { shown.push_back("close question"); }
  std::optional<std::string> BrowseForFolder(QWidget*, const std::string& title,
                                             const std::string& start) override {
    shown.push_back("browse " + title + "|" + start);
    return folder;
  }
  std::optional<std::string> ChoosePictureFile(QWidget*, const std::string&,
                                               const std::string& start) override {
    shown.push_back("choose picture|" + start);
    return picture;
  }
  bool ChooseWatermarkFont(QWidget*, FontChoice& f, const std::string&) override {
    if (!font) return false;
    f = *font;
    return true;
  }
  bool ChooseExtraOperations(QWidget*, const std::string&, ExtraOperations& o,
                             std::optional<Preset>& chosen, std::vector<Preset>& made) override {
    if (!operations) return false;
    o = *operations;
    chosen = preset;
    made = outputs;
    return true;
  }
  int OpenWithDesktop(const std::string& target) override {
    opened.push_back(target);
    return open_result;
  }
  int OpenInBrowser(const std::string& target) override {
    opened.push_back("browser " + target);
    return open_result;
  }
  int open_result = 42;  // 31: nothing here opens anything

  std::vector<std::string> shown;
  std::vector<std::string> opened;
  std::deque<bool> answers;
  std::function<void(const std::string&)> on_question;
  std::optional<std::string> folder;
  std::optional<std::string> picture;
  std::optional<FontChoice> font;
  std::optional<ExtraOperations> operations;  // the options dialog's answer
  std::optional<Preset> preset;               // the one the dialog says was chosen
  std::vector<Preset> outputs;                // the presets ticked to be made at once
};

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_SCRIPTED_UI_SEAM_H_
