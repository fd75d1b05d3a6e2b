#include "ui/more_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumivane::ui {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QSpinBox* Number(const ValueRange& range, const char* suffix) {
  auto* box = new QSpinBox;
  box->setRange(range.low, range.high);
  box->setSuffix(QString::fromUtf8(suffix));
  return box;
}

// A switch and its value on one row; the value follows the switch.
QWidget* Row(QCheckBox* check, QWidget* value) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(check);
  layout->addWidget(value);
  layout->addStretch();
  QObject::connect(check, &QCheckBox::toggled, value, &QWidget::setEnabled);
  value->setEnabled(false);
  return row;
}

}  // namespace

std::string DescribeOperations(const ExtraOperations& o) {
  std::string text;
  auto add = [&](const std::string& part) { text += (text.empty() ? "" : "，") + part; };
  if (o.square) add("方形 " + o.square_colour);
  if (o.max_kb > 0) add("≤ " + std::to_string(o.max_kb) + " KB");
  if (o.slice_height > 0) add("每段 ≤ " + std::to_string(o.slice_height) + " 高");
  if (o.tiled_text) add("平铺文字水印");
  if (o.mark_width_percent > 0) add("水印图片宽 " + std::to_string(o.mark_width_percent) + "%");
  return text.empty() ? text : "更多处理选项：" + text;
}

MoreOptionsDialog::MoreOptionsDialog(const ExtraOperations& start, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("更多处理选项"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, true);
  preset_ = new QComboBox;
  preset_->addItem(QString::fromUtf8("自定义"));
  for (const Preset& p : Presets()) preset_->addItem(Q(p.name));
  square_ = new QCheckBox(QString::fromUtf8("方形画布，空白处颜色"));
  square_colour_ = new QLineEdit;
  square_colour_->setValidator(
      new QRegularExpressionValidator(QRegularExpression("#[0-9a-fA-F]{6}"), square_colour_));
  square_colour_->setMaximumWidth(80);
  cap_ = new QCheckBox(QString::fromUtf8("文件大小不超过"));
  max_kb_ = Number(kMaxKbRange, " KB");
  slice_ = new QCheckBox(QString::fromUtf8("长图切成多段，每段高度不超过"));
  slice_height_ = Number(kSliceHeightRange, " 像素");
  tiled_ = new QCheckBox(QString::fromUtf8("文字水印平铺整张图片（防盗图）"));
  mark_ = new QCheckBox(QString::fromUtf8("水印图片宽度为图片宽度的"));
  mark_percent_ = Number(kMarkWidthRange, "%");

  preset_->setWhatsThis(QString::fromUtf8(
      "选择一个预设，一次设好图片宽和下面的各项处理。\n选“自定义”则自己设置各项。"));
  square_->setWhatsThis(
      QString::fromUtf8("把图片放在一个正方形画布的中间：设了图片宽时边长等于图片宽，\n"
                        "图片缩小到放得下（小图不放大）；否则边长等于图片较长的一边。\n"
                        "空白处用右边的颜色（如 #ffffff 白色）填充。主图通常要求方形。"));
  square_colour_->setWhatsThis(square_->whatsThis());
  cap_->setWhatsThis(QString::fromUtf8(
      "每个处理后的文件不超过这个大小：从所选的图片品质往下，\n"
      "自动找出不超过这个大小的最高品质。品质 50 仍然超出时按 50 保存，并记入日志。"));
  max_kb_->setWhatsThis(cap_->whatsThis());
  slice_->setWhatsThis(
      QString::fromUtf8("缩小后比这个高度更高的图片（如详情页长图）切成多段，\n"
                        "保存为 名称_01.jpg、名称_02.jpg ……每段都加上水印。"));
  slice_height_->setWhatsThis(slice_->whatsThis());
  tiled_->setWhatsThis(
      QString::fromUtf8("把水印文字斜着重复铺满整张图片，图片被裁剪后仍然带有水印。"));
  mark_->setWhatsThis(
      QString::fromUtf8("按图片宽度的百分比缩放水印图片，大图小图上的水印看起来一样大。"));
  mark_percent_->setWhatsThis(mark_->whatsThis());

  auto* form = new QFormLayout;
  form->addRow(QString::fromUtf8("预设："), preset_);
  form->addRow(Row(square_, square_colour_));
  form->addRow(Row(cap_, max_kb_));
  form->addRow(Row(slice_, slice_height_));
  form->addRow(tiled_);
  form->addRow(Row(mark_, mark_percent_));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)
      ->setWhatsThis(
          QString::fromUtf8("采用这些处理选项并保存，以后每次处理都按它们进行，然后关闭本窗口。"));
  buttons->button(QDialogButtonBox::Cancel)
      ->setWhatsThis(QString::fromUtf8("不做任何更改，关闭本窗口。"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  Show(start);
  connect(preset_, &QComboBox::activated, this, [this](int index) { ChoosePreset(index); });
}

void MoreOptionsDialog::Show(const ExtraOperations& o) {
  square_->setChecked(o.square);
  square_colour_->setText(Q(o.square_colour));
  cap_->setChecked(o.max_kb > 0);
  max_kb_->setValue(o.max_kb > 0 ? o.max_kb : 500);
  slice_->setChecked(o.slice_height > 0);
  slice_height_->setValue(o.slice_height > 0 ? o.slice_height : 1500);
  tiled_->setChecked(o.tiled_text);
  mark_->setChecked(o.mark_width_percent > 0);
  mark_percent_->setValue(o.mark_width_percent > 0 ? o.mark_width_percent : 20);
}

void MoreOptionsDialog::ChoosePreset(int index) {
  preset_->setCurrentIndex(index);
  if (index > 0) Show(Presets()[static_cast<size_t>(index - 1)].operations);
}

int MoreOptionsDialog::PresetWidth() const {
  const int index = preset_->currentIndex();
  return index > 0 ? Presets()[static_cast<size_t>(index - 1)].width : 0;
}

ExtraOperations MoreOptionsDialog::Operations() const {
  ExtraOperations o;
  o.square = square_->isChecked();
  if (square_colour_->hasAcceptableInput()) o.square_colour = square_colour_->text().toStdString();
  o.max_kb = cap_->isChecked() ? max_kb_->value() : 0;
  o.slice_height = slice_->isChecked() ? slice_height_->value() : 0;
  o.tiled_text = tiled_->isChecked();
  o.mark_width_percent = mark_->isChecked() ? mark_percent_->value() : 0;
  return o;
}

}  // namespace lumivane::ui
