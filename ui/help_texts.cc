#include "ui/help_texts.h"

namespace lumivane::ui {
namespace {

constexpr char kSource[] =
    "[图片源文件夹]"
    "是指需要处理的图片所在的文件夹，由于\n这是一款批量处理软件，它会对你选择的一个文件夹里所\n"
    "有JPG、PNG、BMP格式的图片进行处理，同时会将PNG、BMP\n图片处理后保存为JPG图片。\n"
    "例如 a.png 处理后保存为a.png.jpg\n\n"
    "手机和网店常用的 HEIC、WebP、AVIF、TIFF、GIF 图片也会处理；\n"
    "在[更多处理选项]里可以改为保存成 PNG 或 WebP。";
constexpr char kWidth[] =
    "图片宽是指希望将图片缩小到的新宽度，单位：像素。\n\n当原图宽度大于设置的新宽度时，会将原图的宽"
    "度缩小到\n"
    "设置的新宽度，图片高度会等比例缩小。\n\n注意：如果原图的宽度小于设置的新宽度，由于放大图片\n"
    "会让图片变的模糊，因此不会对原图进行放大处理，原图\n宽度保持不变。";
constexpr char kQuality[] =
    "图片品质，指的是图片压缩后的图片质量。\n\n图片品质高，图片清晰度就高，图片占用空间会大一些。\n"
    "反之，图片品质低一些，图片清晰度就低一些，但图片占\n用的空间小，可以节省图片空间。\n\n"
    "可以从图片清晰度和图片占用的空间之间寻找一个平衡点\n，图片品质建议设置： 80 至 95。";
constexpr char kRotation[] = "图片按照指定的角度进行顺时针旋转。";
constexpr char kSubfolders[] =
    "如果钩选了[同时处理子文件夹里的图片]，处理图片时会\n对你选中的[图片源文件夹]"
    "及其所有子文件夹里的图片同\n"
    "时进行处理。";
constexpr char kTextSwitch[] =
    "开启或关闭文字水印功能。\n将一行文字印在图片上，很多淘宝卖家将店铺地址或店铺\n"
    "名印在宝贝图片上，这是常用的宝贝图片防盗方法。";
constexpr char kText[] =
    "印在图片上的文字，一般设置为店铺地址或店铺名。\n"
    "可写入每张图片自己的信息：{name} 原名，{n} 编号，{n:03} 三位编号，\n"
    "{folder} 所在文件夹名，{date} 处理日期，{w}、{h} 处理后的宽和高。";
constexpr char kTextPosition[] =
    "设置文字在图片上显示的位置，例如在图片右下角显示，\n或在图片中间位置显示文字。";
constexpr char kOpacity[] = "设置显示在图片上的文字透明效果，100%表示不透明。";
constexpr char kFont[] =
    "设置水印文字的字体和颜色。\n这里需要注意一点，如果水印文字中含有中文的话，选择\n"
    "字体的时候有可能会遇到一些不支持的字体。 ";
constexpr char kTextPreview[] = "根据文字水印当前设置，查看图片加文字水印后的效果。";
constexpr char kPictureSwitch[] =
    "开启或关闭图片水印功能。\n将一张设计好的图片印在你的宝贝图片上。";
constexpr char kPicture[] =
    "选择一张你设计好的含有水印内容的图片，这张图片将印\n在宝贝图片上，你可以使用ps软件来设计图片的"
    "内容，例\n"
    "如可以设置多行文字显示在宝贝图片上。\n\n提示：使用PNG格式的水印图片可以实现水印透明效果。";
constexpr char kPicturePosition[] =
    "设置水印图片在宝贝图片上的显示的位置，例如在图片右\n下角显示，或在图片中间位置显示水印图片。";
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
  switch (c) {
    case Control::SourceFolderLabel:
    case Control::SourceFolderBox:
    case Control::SourceFolderBrowseButton:
      return kSource;
    case Control::WidthCheck:
    case Control::WidthBox:
      return kWidth;
    case Control::QualityCheck:
    case Control::QualityCombo:
      return kQuality;
    case Control::RotationCheck:
    case Control::RotationCombo:
      return kRotation;
    case Control::SubfoldersCheck:
      return kSubfolders;
    case Control::TextWatermarkCheck:
      return kTextSwitch;
    case Control::WatermarkTextLabel:
    case Control::WatermarkTextBox:
      return kText;
    case Control::TextPositionLabel:
    case Control::TextHorizontalPositionCombo:
    case Control::TextHorizontalMarginBox:
    case Control::TextVerticalPositionCombo:
    case Control::TextVerticalMarginBox:
      return kTextPosition;
    case Control::OpacityLabel:
    case Control::OpacityCombo:
      return kOpacity;
    case Control::FontLabel:
    case Control::FontSummaryBox:
    case Control::FontButton:
      return kFont;
    case Control::TextPreviewButton:
      return kTextPreview;
    case Control::PictureWatermarkCheck:
      return kPictureSwitch;
    case Control::WatermarkPictureLabel:
    case Control::WatermarkPictureBox:
    case Control::WatermarkPictureBrowseButton:
      return kPicture;
    case Control::PicturePositionLabel:
    case Control::PictureHorizontalPositionCombo:
    case Control::PictureHorizontalMarginBox:
    case Control::PictureVerticalPositionCombo:
    case Control::PictureVerticalMarginBox:
      return kPicturePosition;
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
    case Control::BasicGroupBox:
    case Control::BasicGroupCaption:
    case Control::TextGroupBox:
    case Control::PictureGroupBox:
      return nullptr;
  }
  return nullptr;
}

}  // namespace lumivane::ui
