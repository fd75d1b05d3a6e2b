// The main window's controls, named once: the layout, the help texts and
// the tests refer to them by these names.
#ifndef LUMIVANE_UI_CONTROLS_H_
#define LUMIVANE_UI_CONTROLS_H_

#include <optional>
#include <string_view>

namespace lumivane {

// The 43 controls of the main window, in creation order.
enum class Control {
  SourceFolderLabel,
  SourceFolderBox,
  SourceFolderBrowseButton,
  WidthCheck,
  WidthBox,
  QualityCheck,
  QualityCombo,
  RotationCheck,
  RotationCombo,
  SubfoldersCheck,
  BasicGroupBox,
  BasicGroupCaption,
  WatermarkTextLabel,
  WatermarkTextBox,
  OpacityLabel,
  OpacityCombo,
  TextPositionLabel,
  TextHorizontalPositionCombo,
  TextHorizontalMarginBox,
  TextVerticalPositionCombo,
  TextVerticalMarginBox,
  FontLabel,
  FontSummaryBox,
  FontButton,
  TextPreviewButton,
  TextGroupBox,
  TextWatermarkCheck,
  WatermarkPictureLabel,
  WatermarkPictureBox,
  WatermarkPictureBrowseButton,
  PicturePositionLabel,
  PictureHorizontalPositionCombo,
  PictureHorizontalMarginBox,
  PictureVerticalPositionCombo,
  PictureVerticalMarginBox,
  PicturePreviewButton,
  PictureGroupBox,
  PictureWatermarkCheck,
  TargetFolderLabel,
  TargetFolderBox,
  TargetFolderBrowseButton,
  ProgressBar,
  StartButton,
};
inline constexpr int kControlCount = static_cast<int>(Control::StartButton) + 1;

// The control's plain name ("SourceFolderBox"), used as its object name.
const char* ControlName(Control control);
// The control of that name; none for another.
std::optional<Control> ControlNamed(std::string_view name);

}  // namespace lumivane

#endif  // LUMIVANE_UI_CONTROLS_H_
