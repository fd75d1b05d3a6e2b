// "更多处理选项": the marketplace operations and their presets.
#ifndef LUMIVANE_UI_MORE_OPTIONS_DIALOG_H_
#define LUMIVANE_UI_MORE_OPTIONS_DIALOG_H_

#include <QDialog>
#include <QScrollArea>
#include <optional>
#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/operation_table.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace lumivane::ui {

class MoreOptionsDialog : public QDialog {
 public:
  // The user's presets are kept in `program_folder`.
  MoreOptionsDialog(const ExtraOperations& start, std::string program_folder, QWidget* parent);
  ExtraOperations Operations() const;
  // The width of the preset the list stands on; 0 for "自定义".
  int PresetWidth() const;
  // The preset chosen, while the switches are still as it set them.
  std::optional<Preset> ChosenPreset() const;
  // Shows the preset of that name as chosen, when the switches are as it
  // sets them (the one the window has in effect).
  void ShowChosen(const std::string& name);
  // Sets every switch and value as the preset at `index` (0: "自定义") has them.
  void ChoosePreset(int index);
  // The presets ticked to be made at once (none when fewer than two are).
  std::vector<Preset> TickedOutputs() const;
  // Ticks the presets of these names.
  void TickOutputs(const std::vector<Preset>& outputs);
  // Stores the operations shown (and the width of the preset the list
  // stood on) as the user's preset `name` and lists it. False, with the
  // reason in `error`, when the name is not one or the file cannot be written.
  bool SaveAsPreset(const std::string& name, std::string& error);

 private:
  // A control for each operation, built from its descriptor.
  struct Row {
    const OperationField* field;
    QCheckBox* check;
    QSpinBox* number = nullptr;    // a number's value
    QComboBox* choice = nullptr;   // a choice's, the first (off) left out
    QLineEdit* text = nullptr;     // a text's
    QLineEdit* colour = nullptr;   // a colour beside the switch
    std::vector<QWidget*> values;  // all of them, after the switch
  };
  QScrollArea* Scrolled(QLayout* rows);
  void FitScreen(const QScrollArea& rows);
  QWidget* AddRow(const OperationField& field);
  // A box for each preset, to make several at once.
  QWidget* OutputsRow();
  // Values follow their switch; a switch that tunes another follows that
  // one, and one for JPEG alone the format.
  void UpdateEnabling();
  // The user changed a value: the enabling follows, and the preset list
  // stands on "自定义" once the values are no longer the preset's.
  void Edited();
  void Show(const ExtraOperations& operations);
  void SavePresetCommand();
  // A text switched on that makes no sense is said before the dialog closes.
  bool TextsAreFine();

  const std::string folder_;  // of the user's presets
  QComboBox* preset_;
  std::vector<Preset> presets_;      // built in, then the user's
  std::vector<QCheckBox*> outputs_;  // a box per preset, in the same order
  std::vector<Row> rows_;
  bool showing_ = false;  // values being set from operations, not edited
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_MORE_OPTIONS_DIALOG_H_
