#include "ui/font_colour_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "engine/picture/colour.h"
#include "engine/picture/font_resolver.h"
#include "text/text_helpers.h"
#include "ui/font_text.h"

namespace lumivane::ui {

FontColourDialog::FontColourDialog(const FontChoice& start, QWidget* parent,
                                   const std::string& text)
    : QDialog(parent) {
  setWindowTitle("字体");
  family_ = new QFontComboBox(this);
  family_->setFontFilters(QFontComboBox::ScalableFonts);
  // A Chinese sample for the faces that have Chinese (not the Korean one
  // the box would pick for a CJK face).
  for (const QString& face : QFontDatabase::families(QFontDatabase::SimplifiedChinese)) {
    family_->setSampleTextForFont(face, QString::fromUtf8("中文字体示例"));
  }
  // Chinese text: the faces that show it, from one that does, as the
  // check before a run asks.
  const bool chinese = HasNonAscii(text);
  if (chinese) family_->setWritingSystem(QFontDatabase::SimplifiedChinese);
  start_name_ = start.sy_text_fontName;
  if (chinese && !FontShowsChinese(start)) {
    if (const std::string face = ChineseFaceFor(text); !face.empty()) start_name_ = face;
  }
  family_->setCurrentFont(QFont(QString::fromStdString(start_name_)));
  start_family_ = family_->currentFont().family();
  // The box shows the name chosen, not the face that stands in for it.
  if (!start_name_.empty() && family_->isEditable()) {
    family_->setEditText(QString::fromStdString(start_name_));
  }
  size_ = new QSpinBox(this);
  size_->setRange(kMinFontSize, kMaxFontSize);
  size_->setValue(start.sy_text_fontSize);
  bold_ = new QCheckBox("粗体", this);
  bold_->setChecked(start.sy_text_isWeight != 0);
  italic_ = new QCheckBox("斜体", this);
  italic_->setChecked(start.sy_text_isItalic != 0);
  colour_ = QColor(start.sy_text_rgbColors & 0xFF, (start.sy_text_rgbColors >> 8) & 0xFF,
                   (start.sy_text_rgbColors >> 16) & 0xFF);
  colour_button_ = new QPushButton("颜色...", this);
  sample_ = new QLabel(chinese ? QString::fromStdString(text).left(24) : "AaBbYyZz 宝贝", this);
  sample_->setMinimumHeight(60);

  auto* form = new QFormLayout;
  form->addRow("字体：", family_);
  form->addRow("大小：", size_);
  form->addRow(bold_, italic_);
  form->addRow("颜色：", colour_button_);
  form->addRow("示例：", sample_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ExplainControls(*buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(colour_button_, &QPushButton::clicked, this, [this] {
    QColor chosen = QColorDialog::getColor(colour_, this, "颜色");
    if (chosen.isValid()) colour_ = chosen;
    UpdateSample();
  });
  connect(family_, &QFontComboBox::currentFontChanged, this, [this] { UpdateSample(); });
  connect(size_, &QSpinBox::valueChanged, this, [this] { UpdateSample(); });
  connect(bold_, &QCheckBox::toggled, this, [this] { UpdateSample(); });
  connect(italic_, &QCheckBox::toggled, this, [this] { UpdateSample(); });
  UpdateSample();
}

void FontColourDialog::ExplainControls(QDialogButtonBox& buttons) {
  family_->setWhatsThis(
      QString::fromUtf8("文字水印的字体。水印文字里有中文时，请选择能显示中文的字体。"));
  size_->setWhatsThis(QString::fromStdString("文字水印的大小，以磅为单位（" +
                                             std::to_string(kMinFontSize) + " - " +
                                             std::to_string(kMaxFontSize) + "）。"));
  bold_->setWhatsThis(QString::fromUtf8("文字水印是否用粗体、斜体。"));
  italic_->setWhatsThis(bold_->whatsThis());
  colour_button_->setWhatsThis(QString::fromUtf8("选择文字水印的颜色。"));
  sample_->setWhatsThis(QString::fromUtf8("按当前的选择显示的文字样例。"));
  buttons.button(QDialogButtonBox::Ok)
      ->setWhatsThis(QString::fromUtf8("使用所选的字体、大小、样式和颜色，然后关闭本窗口。"));
  buttons.button(QDialogButtonBox::Cancel)
      ->setWhatsThis(QString::fromUtf8("不做任何更改，关闭本窗口。"));
}

FontChoice FontColourDialog::Choice() const {
  FontChoice f;
  const QString family = family_->currentFont().family();
  f.sy_text_fontName = family == start_family_ ? start_name_ : family.toStdString();
  f.sy_text_fontSize = size_->value();
  f.sy_text_rgbColors = static_cast<std::uint32_t>(colour_.red()) |
                        (static_cast<std::uint32_t>(colour_.green()) << 8) |
                        (static_cast<std::uint32_t>(colour_.blue()) << 16);
  f.sy_text_isItalic = italic_->isChecked() ? 1 : 0;
  f.sy_text_isWeight = bold_->isChecked() ? 1 : 0;
  return f;
}

void FontColourDialog::UpdateSample() {
  QFont font = family_->currentFont();
  font.setPointSize(size_->value());
  font.setBold(bold_->isChecked());
  font.setItalic(italic_->isChecked());
  sample_->setFont(font);
  // Room for the whole sample at any size the box offers.
  sample_->setMinimumHeight(QFontMetrics(font).height() + 8);
  sample_->setMinimumWidth(QFontMetrics(font).horizontalAdvance(sample_->text()) + 8);
  QPalette p = sample_->palette();
  p.setColor(QPalette::WindowText, colour_);
  sample_->setPalette(p);
  colour_button_->setText(QString::fromStdString(HtmlColorText(Choice().sy_text_rgbColors)));
}

}  // namespace lumivane::ui
