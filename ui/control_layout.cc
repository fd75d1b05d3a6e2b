#include "ui/control_layout.h"

#include "engine/picture/settings_text.h"

namespace lumivane::ui {

using K = ControlKind;
using C = Control;

const std::array<ControlPlace, kControlCount> kControlLayout = {{
    {C::SourceFolderLabel, K::kLabel, "图片源文件夹：", 12, 14, 89, 21},
    {C::SourceFolderBox, K::kEdit, "", 100, 10, 461, 21},
    {C::SourceFolderBrowseButton, K::kPushButton, "选择...", 571, 8, 96, 25},
    {C::WidthCheck, K::kCheckBox, "图片宽：", 28, 69, 68, 21},
    {C::WidthBox, K::kEdit, "700", 98, 69, 33, 21},
    {C::QualityCheck, K::kCheckBox, "图片品质：", 151, 69, 81, 21},
    {C::QualityCombo, K::kDropDownList, "Text", 233, 69, 73, 300},
    {C::RotationCheck, K::kCheckBox, "图片旋转：", 328, 69, 81, 21},
    {C::RotationCombo, K::kDropDownList, "Text", 410, 69, 60, 300},
    {C::SubfoldersCheck, K::kCheckBox, "同时处理子文件夹里的图片", 490, 69, 172, 21},
    {C::BasicGroupBox, K::kGroupBox, "基本设置", 12, 44, 656, 66},
    {C::BasicGroupCaption, K::kPlainLabel, "基本设置", 21, 44, 49, 21},
    {C::WatermarkTextLabel, K::kLabel, "水印文字：", 28, 159, 64, 21},
    {C::WatermarkTextBox, K::kEdit, kDefaultWatermarkText, 93, 155, 558, 21},
    {C::OpacityLabel, K::kLabel, "不透明度：", 544, 193, 61, 21},
    {C::OpacityCombo, K::kDropDownList, "Text", 603, 189, 48, 200},
    {C::TextPositionLabel, K::kLabel, "水印位置：", 28, 193, 65, 21},
    {C::TextHorizontalPositionCombo, K::kDropDownList, "", 93, 189, 88, 100},
    {C::TextHorizontalMarginBox, K::kEdit, "16", 186, 189, 48, 21},
    {C::TextVerticalPositionCombo, K::kDropDownList, "", 389, 189, 88, 100},
    {C::TextVerticalMarginBox, K::kEdit, "16", 482, 189, 48, 21},
    {C::FontLabel, K::kLabel, "字体颜色：", 28, 228, 65, 21},
    {C::FontSummaryBox, K::kReadOnlyEdit, "", 93, 224, 318, 21},
    {C::FontButton, K::kPushButton, "选择字体颜色", 418, 222, 112, 25},
    {C::TextPreviewButton, K::kPushButton, "效果预览", 544, 222, 107, 25},
    {C::TextGroupBox, K::kGroupBox, "文字水印", 12, 130, 656, 136},
    {C::TextWatermarkCheck, K::kCheckBox, "文字水印", 21, 128, 68, 19},
    {C::WatermarkPictureLabel, K::kLabel, "水印图片：", 28, 316, 66, 21},
    {C::WatermarkPictureBox, K::kEdit, "", 93, 312, 437, 21},
    {C::WatermarkPictureBrowseButton, K::kPushButton, "选择...", 544, 310, 107, 25},
    {C::PicturePositionLabel, K::kLabel, "水印位置：", 28, 351, 66, 21},
    {C::PictureHorizontalPositionCombo, K::kDropDownList, "", 93, 347, 88, 100},
    {C::PictureHorizontalMarginBox, K::kEdit, "16", 186, 347, 48, 21},
    {C::PictureVerticalPositionCombo, K::kDropDownList, "", 389, 347, 88, 100},
    {C::PictureVerticalMarginBox, K::kEdit, "16", 482, 347, 48, 21},
    {C::PicturePreviewButton, K::kPushButton, "效果预览", 544, 346, 107, 25},
    {C::PictureGroupBox, K::kGroupBox, "图片水印", 12, 287, 656, 103},
    {C::PictureWatermarkCheck, K::kCheckBox, "图片水印", 21, 285, 68, 19},
    {C::TargetFolderLabel, K::kLabel, "处理后保存到：", 12, 414, 90, 21},
    {C::TargetFolderBox, K::kEdit, "", 100, 410, 461, 21},
    {C::TargetFolderBrowseButton, K::kPushButton, "选择...", 571, 408, 96, 25},
    {C::ProgressBar, K::kProgressBar, "", 12, 451, 549, 21},
    {C::StartButton, K::kPushButton, "开始处理", 571, 449, 96, 25},
}};

}  // namespace lumivane::ui
