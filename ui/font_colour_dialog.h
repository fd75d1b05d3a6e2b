// The font dialog of the watermark text: a scalable font of 8 to 72
// points, bold and italic, and a colour, chosen in one dialog.
#ifndef LUMIVANE_UI_FONT_COLOUR_DIALOG_H_
#define LUMIVANE_UI_FONT_COLOUR_DIALOG_H_

#include <QColor>
#include <QDialog>
#include <QDialogButtonBox>
#include <string>

#include "engine/picture/processing_settings.h"

class QCheckBox;
class QFontComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace lumivane::ui {

class FontColourDialog : public QDialog {
 public:
  // `text`: the mark's; with Chinese in it only the Chinese faces are
  // offered, starting at one that shows it, and the sample is the text.
  FontColourDialog(const FontChoice& start, QWidget* parent, const std::string& text = "");
  // The six fields as the dialog shows them now.
  FontChoice Choice() const;
  QFontComboBox* family_box() const { return family_; }
  QLabel* sample() const { return sample_; }

 private:
  void UpdateSample();
  // The help of "?" mode over each control.
  void ExplainControls(QDialogButtonBox& buttons);

  QFontComboBox* family_;
  QSpinBox* size_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QPushButton* colour_button_;
  QLabel* sample_;
  QColor colour_;
  // The name the user had, and the face the box shows for it: a name the
  // system only stands in for ("Arial") is kept unless another face is
  // chosen.
  std::string start_name_;
  QString start_family_;
};

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_FONT_COLOUR_DIALOG_H_
