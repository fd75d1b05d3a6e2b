// The main window's 43 controls, named once, in creation order, each with
// its kind, its text and its place: the enum, the names and the layout are
// all made from this one list.
#ifndef LUMIVANE_UI_CONTROLS_H_
#define LUMIVANE_UI_CONTROLS_H_

#include <optional>
#include <string_view>

namespace lumivane {

// X(name, kind, text, x, y, width, height): client coordinates; a list's
// height is that of its open list.
// clang-format off
#define LUMIVANE_MAIN_WINDOW_CONTROLS(X) \
  X(SourceFolderLabel, kLabel, "图片源文件夹：", 12, 14, 89, 21) \
  X(SourceFolderBox, kEdit, "", 100, 10, 461, 21) \
  X(SourceFolderBrowseButton, kPushButton, "选择...", 571, 8, 96, 25) \
  X(WidthCheck, kCheckBox, "图片宽：", 28, 69, 68, 21) \
  X(WidthBox, kEdit, "700", 98, 69, 33, 21) \
  X(QualityCheck, kCheckBox, "图片品质：", 151, 69, 81, 21) \
  X(QualityCombo, kDropDownList, "Text", 233, 69, 73, 300) \
  X(RotationCheck, kCheckBox, "图片旋转：", 328, 69, 81, 21) \
  X(RotationCombo, kDropDownList, "Text", 410, 69, 60, 300) \
  X(SubfoldersCheck, kCheckBox, "同时处理子文件夹里的图片", 490, 69, 172, 21) \
  X(BasicGroupBox, kGroupBox, "基本设置", 12, 44, 656, 66) \
  X(BasicGroupCaption, kPlainLabel, "基本设置", 21, 44, 49, 21) \
  X(WatermarkTextLabel, kLabel, "水印文字：", 28, 159, 64, 21) \
  X(WatermarkTextBox, kEdit, kDefaultWatermarkText, 93, 155, 558, 21) \
  X(OpacityLabel, kLabel, "不透明度：", 544, 193, 61, 21) \
  X(OpacityCombo, kDropDownList, "Text", 603, 189, 48, 200) \
  X(TextPositionLabel, kLabel, "水印位置：", 28, 193, 65, 21) \
  X(TextHorizontalPositionCombo, kDropDownList, "", 93, 189, 88, 100) \
  X(TextHorizontalMarginBox, kEdit, "16", 186, 189, 48, 21) \
  X(TextVerticalPositionCombo, kDropDownList, "", 389, 189, 88, 100) \
  X(TextVerticalMarginBox, kEdit, "16", 482, 189, 48, 21) \
  X(FontLabel, kLabel, "字体颜色：", 28, 228, 65, 21) \
  X(FontSummaryBox, kReadOnlyEdit, "", 93, 224, 318, 21) \
  X(FontButton, kPushButton, "选择字体颜色", 418, 222, 112, 25) \
  X(TextPreviewButton, kPushButton, "效果预览", 544, 222, 107, 25) \
  X(TextGroupBox, kGroupBox, "文字水印", 12, 130, 656, 136) \
  X(TextWatermarkCheck, kCheckBox, "文字水印", 21, 128, 68, 19) \
  X(WatermarkPictureLabel, kLabel, "水印图片：", 28, 316, 66, 21) \
  X(WatermarkPictureBox, kEdit, "", 93, 312, 437, 21) \
  X(WatermarkPictureBrowseButton, kPushButton, "选择...", 544, 310, 107, 25) \
  X(PicturePositionLabel, kLabel, "水印位置：", 28, 351, 66, 21) \
  X(PictureHorizontalPositionCombo, kDropDownList, "", 93, 347, 88, 100) \
  X(PictureHorizontalMarginBox, kEdit, "16", 186, 347, 48, 21) \
  X(PictureVerticalPositionCombo, kDropDownList, "", 389, 347, 88, 100) \
  X(PictureVerticalMarginBox, kEdit, "16", 482, 347, 48, 21) \
  X(PicturePreviewButton, kPushButton, "效果预览", 544, 346, 107, 25) \
  X(PictureGroupBox, kGroupBox, "图片水印", 12, 287, 656, 103) \
  X(PictureWatermarkCheck, kCheckBox, "图片水印", 21, 285, 68, 19) \
  X(TargetFolderLabel, kLabel, "处理后保存到：", 12, 414, 90, 21) \
  X(TargetFolderBox, kEdit, "", 100, 410, 461, 21) \
  X(TargetFolderBrowseButton, kPushButton, "选择...", 571, 408, 96, 25) \
  X(ProgressBar, kProgressBar, "", 12, 451, 549, 21) \
  X(StartButton, kPushButton, "开始处理", 571, 449, 96, 25)
// clang-format on

enum class Control {
#define LUMIVANE_CONTROL_ENUMERATOR(name, ...) name,
  LUMIVANE_MAIN_WINDOW_CONTROLS(LUMIVANE_CONTROL_ENUMERATOR)
#undef LUMIVANE_CONTROL_ENUMERATOR
};
inline constexpr int kControlCount = static_cast<int>(Control::StartButton) + 1;

// The control's plain name ("SourceFolderBox"), used as its object name.
const char* ControlName(Control control);
// The control of that name; none for another.
std::optional<Control> ControlNamed(std::string_view name);

}  // namespace lumivane

#endif  // LUMIVANE_UI_CONTROLS_H_
