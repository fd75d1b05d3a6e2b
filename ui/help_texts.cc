#include "ui/help_texts.h"

#include "ui/window_inputs.h"

namespace lumivane::ui {
namespace {

constexpr char kSource[] =
    "[图片源文件夹]"
    "是指需要处理的图片所在的文件夹，由于\n这是一款批量处理软件，它会对你选择的一个文件夹里所\n"
    "有JPG、PNG、BMP格式的图片进行处理，同时会将PNG、BMP\n图片处理后保存为JPG图片。\n"
    "例如 a.png 处理后保存为a.png.jpg\n\n"
    "手机和网店常用的 HEIC、WebP、AVIF、TIFF、GIF 图片也会处理；\n"
    "在[更多处理选项]里可以改为保存成 PNG 或 WebP。";
constexpr char kSubfolders[] =
    "如果钩选了[同时处理子文件夹里的图片]，处理图片时会\n对你选中的[图片源文件夹]"
    "及其所有子文件夹里的图片同\n"
    "时进行处理。";
constexpr char kFont[] =
    "设置水印文字的字体和颜色。\n这里需要注意一点，如果水印文字中含有中文的话，选择\n"
    "字体的时候有可能会遇到一些不支持的字体。 ";
constexpr char kTextPreview[] = "根据文字水印当前设置，查看图片加文字水印后的效果。";
constexpr char kPicturePreview[] = "根据图片水印当前设置，查看加上图片水印后的效果。";
constexpr char kTarget[] =
    "[处理后保存到]指的是图片处理后保存到的位置，系统默\n认将处理后的图片保存到[图片源文件夹]+[_"
    "处理后]的位\n"
    "置， 你也可以选择一个自定义的位置。\n\n建议：不要将[处理后保存到]的位置和[图片源文件夹]选\n"
    "择为同一个文件夹，如果两者指定为同一个文件夹，处理\n后的图片会覆盖[图片源文件夹]里的图片。";
constexpr char kStart[] = "根据当前的图片处理设置，开始对图片进行处理。";
constexpr char kProgress[] =
    "这是一个进度条，实时显示当前图片处理的进度。\n\n"
    "不处理图片时，这里列出“更多处理选项”里正在起作\n"
    "用的选项，单击这里可以修改它们。";

}  // namespace

const char* HelpTextFor(Control c) {
  // The inputs of the window's rows carry their own; a label tells of the
  // input beside it.
  if (const WindowInput* input = WindowInputOf(c)) return input->help;
  switch (c) {
    case Control::SourceFolderLabel:
    case Control::SourceFolderBox:
    case Control::SourceFolderBrowseButton:
      return kSource;
    case Control::SubfoldersCheck:
      return kSubfolders;
    case Control::WatermarkTextLabel:
      return HelpTextFor(Control::WatermarkTextBox);
    case Control::TextPositionLabel:
      return HelpTextFor(Control::TextHorizontalPositionCombo);
    case Control::OpacityLabel:
      return HelpTextFor(Control::OpacityCombo);
    case Control::FontLabel:
    case Control::FontSummaryBox:
    case Control::FontButton:
      return kFont;
    case Control::TextPreviewButton:
      return kTextPreview;
    case Control::WatermarkPictureLabel:
    case Control::WatermarkPictureBrowseButton:
      return HelpTextFor(Control::WatermarkPictureBox);
    case Control::PicturePositionLabel:
      return HelpTextFor(Control::PictureHorizontalPositionCombo);
    case Control::PicturePreviewButton:
      return kPicturePreview;
    case Control::TargetFolderLabel:
    case Control::TargetFolderBox:
    case Control::TargetFolderBrowseButton:
      return kTarget;
    case Control::ProgressBar:
      return kProgress;
    case Control::StartButton:
      return kStart;
    default:  // the frames, the settings' caption
      return nullptr;
  }
}

}  // namespace lumivane::ui
