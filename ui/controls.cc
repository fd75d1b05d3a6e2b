#include "ui/controls.h"

#include <array>
#include <cstddef>

namespace lumivane {

const char* ControlName(Control control) {
  static constexpr std::array<const char*, kControlCount> kNames = {
      "SourceFolderLabel",
      "SourceFolderBox",
      "SourceFolderBrowseButton",
      "WidthCheck",
      "WidthBox",
      "QualityCheck",
      "QualityCombo",
      "RotationCheck",
      "RotationCombo",
      "SubfoldersCheck",
      "BasicGroupBox",
      "BasicGroupCaption",
      "WatermarkTextLabel",
      "WatermarkTextBox",
      "OpacityLabel",
      "OpacityCombo",
      "TextPositionLabel",
      "TextHorizontalPositionCombo",
      "TextHorizontalMarginBox",
      "TextVerticalPositionCombo",
      "TextVerticalMarginBox",
      "FontLabel",
      "FontSummaryBox",
      "FontButton",
      "TextPreviewButton",
      "TextGroupBox",
      "TextWatermarkCheck",
      "WatermarkPictureLabel",
      "WatermarkPictureBox",
      "WatermarkPictureBrowseButton",
      "PicturePositionLabel",
      "PictureHorizontalPositionCombo",
      "PictureHorizontalMarginBox",
      "PictureVerticalPositionCombo",
      "PictureVerticalMarginBox",
      "PicturePreviewButton",
      "PictureGroupBox",
      "PictureWatermarkCheck",
      "TargetFolderLabel",
      "TargetFolderBox",
      "TargetFolderBrowseButton",
      "ProgressBar",
      "StartButton",
  };
  return kNames[static_cast<std::size_t>(control)];
}

std::optional<Control> ControlNamed(std::string_view name) {
  for (int i = 0; i < kControlCount; ++i) {
    if (name == ControlName(static_cast<Control>(i))) return static_cast<Control>(i);
  }
  return std::nullopt;
}

}  // namespace lumivane
