// "更多处理选项": the marketplace operations and their presets.
#ifndef LUMIVANE_UI_MORE_OPTIONS_DIALOG_H_
#define LUMIVANE_UI_MORE_OPTIONS_DIALOG_H_

#include <QDialog>
#include <string>

#include "engine/extra_operations.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace lumivane::ui {

// One line for the log: what the operations do ("" when none is on).
std::string DescribeOperations(const ExtraOperations& operations);

class MoreOptionsDialog : public QDialog {
 public:
  MoreOptionsDialog(const ExtraOperations& start, QWidget* parent);
  ExtraOperations Operations() const;
  // The width of the preset the list stands on; 0 for "自定义".
  int PresetWidth() const;
  // Sets every switch and value as the preset at `index` (0: "自定义") has them.
  void ChoosePreset(int index);

 private:
  void Show(const ExtraOperations& operations);

  QComboBox* preset_;
  QCheckBox* square_;
  QLineEdit* square_colour_;
  QCheckBox* cap_;
  QSpinBox* max_kb_;
  QCheckBox* slice_;
  QSpinBox* slice_height_;
  QCheckBox* tiled_;
  QCheckBox* mark_;
  QSpinBox* mark_percent_;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_MORE_OPTIONS_DIALOG_H_
