#include "ui/window_inputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "ui/main_window.h"

namespace lumivane::ui {
namespace {

struct Reader {
  const MainWindow& w;
  std::string Text(Control c) const { return w.control_as<QLineEdit>(c)->text().toStdString(); }
  bool Checked(Control c) const { return w.control_as<QCheckBox>(c)->isChecked(); }
  int Chosen(Control c) const { return w.control_as<QComboBox>(c)->currentIndex(); }
  MarkPlace Place(Control h, Control h_margin, Control v, Control v_margin) const {
    return {Chosen(h), Chosen(v), Text(h_margin), Text(v_margin)};
  }
};

}  // namespace

UserInputs ReadInputs(const MainWindow& window) {
  using C = Control;
  const Reader r{window};
  UserInputs in;
  in.source = r.Text(C::SourceFolderBox);
  in.width_on = r.Checked(C::WidthCheck);
  in.width = r.Text(C::WidthBox);
  in.quality_on = r.Checked(C::QualityCheck);
  in.quality = r.Chosen(C::QualityCombo);
  in.rotation_on = r.Checked(C::RotationCheck);
  in.rotation = r.Chosen(C::RotationCombo);
  in.subfolders = r.Checked(C::SubfoldersCheck);
  in.text_mark = r.Checked(C::TextWatermarkCheck);
  in.text = r.Text(C::WatermarkTextBox);
  in.opacity = r.Chosen(C::OpacityCombo);
  in.text_place = r.Place(C::TextHorizontalPositionCombo, C::TextHorizontalMarginBox,
                          C::TextVerticalPositionCombo, C::TextVerticalMarginBox);
  in.picture_mark = r.Checked(C::PictureWatermarkCheck);
  in.picture = r.Text(C::WatermarkPictureBox);
  in.picture_place = r.Place(C::PictureHorizontalPositionCombo, C::PictureHorizontalMarginBox,
                             C::PictureVerticalPositionCombo, C::PictureVerticalMarginBox);
  in.target = r.Text(C::TargetFolderBox);
  return in;
}

Control ControlFor(Field field) {
  switch (field) {
    case Field::kSource:
      return Control::SourceFolderBrowseButton;
    case Field::kWidth:
      return Control::WidthBox;
    case Field::kText:
      return Control::WatermarkTextBox;
    case Field::kFont:
      return Control::FontButton;
    case Field::kTextHorizontalMargin:
      return Control::TextHorizontalMarginBox;
    case Field::kTextVerticalMargin:
      return Control::TextVerticalMarginBox;
    case Field::kPicture:
      return Control::WatermarkPictureBrowseButton;
    case Field::kPictureHorizontalMargin:
      return Control::PictureHorizontalMarginBox;
    case Field::kPictureVerticalMargin:
      return Control::PictureVerticalMarginBox;
    case Field::kTarget:
      return Control::TargetFolderBrowseButton;
  }
  return Control::StartButton;
}

}  // namespace lumivane::ui
