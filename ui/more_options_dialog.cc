#include "ui/more_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <vector>

#include "engine/picture/colour.h"
#include "engine/picture/size_rule.h"
#include "settings/presets_file.h"
#include "text/text_helpers.h"
#include "ui/chinese_file_dialog.h"
#include "ui/qt_text.h"

namespace lumivane::ui {
namespace {

// The engine's colour rule, kept while a colour is typed.
class ColourValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    const std::string text = input.toStdString();
    if (IsColourText(text)) return Acceptable;
    return IsColourTextBeginning(text) ? Intermediate : Invalid;
  }
};

}  // namespace

MoreOptionsDialog::MoreOptionsDialog(const ExtraOperations& start, std::string program_folder,
                                     QWidget* parent)
    : QDialog(parent), folder_(std::move(program_folder)) {
  setWindowTitle(QString::fromUtf8("更多处理选项"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, true);
  preset_ = new QComboBox;
  preset_->addItem(QString::fromUtf8("自定义"));
  presets_ = Presets();
  for (const Preset& p : LoadUserPresets(folder_)) presets_.push_back(p);
  for (const Preset& p : presets_) preset_->addItem(Q(p.name));
  preset_->setWhatsThis(QString::fromUtf8(
      "选择一个预设，一次设好图片宽和下面的各项处理。\n选“自定义”则自己设置各项。"));
  auto* form = new QFormLayout;
  // Rows close together: every one in sight on a 768-pixel screen.
  form->setVerticalSpacing(2);
  // Beside the list, the presets to make at once: no row more to scroll.
  auto* presets = new QWidget;
  auto* presets_row = new QHBoxLayout(presets);
  presets_row->setContentsMargins(0, 0, 0, 0);
  presets_row->addWidget(preset_);
  presets_row->addSpacing(12);
  presets_row->addWidget(new QLabel(QString::fromUtf8("同时做出：")));
  presets_row->addWidget(OutputsRow(), 1);
  form->addRow(QString::fromUtf8("预设："), presets);
  for (const OperationField& field : OperationFields()) form->addRow(AddRow(field));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* save =
      buttons->addButton(QString::fromUtf8("保存为预设…"), QDialogButtonBox::ActionRole);
  save->setWhatsThis(
      QString::fromUtf8("把下面的各项处理保存为一个预设，起个名字，以后在预设列表里一次选好；\n"
                        "命令行的 --preset 也能用这个名字。"));
  connect(save, &QPushButton::clicked, this, [this] { SavePresetCommand(); });
  buttons->button(QDialogButtonBox::Ok)
      ->setWhatsThis(
          QString::fromUtf8("采用这些处理选项并保存，以后每次处理都按它们进行，然后关闭本窗口。"));
  buttons->button(QDialogButtonBox::Cancel)
      ->setWhatsThis(QString::fromUtf8("不做任何更改，关闭本窗口。"));
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (TextsAreFine()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  QScrollArea* rows = Scrolled(form);
  layout->addWidget(rows);
  layout->addWidget(buttons);
  FitScreen(*rows);

  Show(start);
  connect(preset_, &QComboBox::activated, this, [this](int index) { ChoosePreset(index); });
  for (const Row& row : rows_) {
    // A value changed: what it greys follows, and a preset changed is one
    // no more.
    auto edited = [this] { Edited(); };
    connect(row.check, &QCheckBox::toggled, this, edited);
    if (row.choice) connect(row.choice, &QComboBox::currentIndexChanged, this, edited);
    if (row.number) connect(row.number, &QSpinBox::valueChanged, this, edited);
    if (row.text) connect(row.text, &QLineEdit::textEdited, this, edited);
    if (row.colour) connect(row.colour, &QLineEdit::textEdited, this, edited);
  }
}

QWidget* MoreOptionsDialog::OutputsRow() {
  auto* row = new QWidget;
  auto* boxes = new QHBoxLayout(row);
  boxes->setContentsMargins(0, 0, 0, 0);
  for (const Preset& p : presets_) {
    auto* box = new QCheckBox(Q(PresetFolderName(p)));
    box->setToolTip(Q(p.name));
    box->setWhatsThis(
        QString::fromUtf8("勾选两个或更多预设，一次处理就做出几套图：每张图片只读取一次，\n"
                          "每套图放进目标文件夹里以预设命名的文件夹（主图、详情图……）。\n"
                          "每套按自己预设的宽度和处理；预设都不设的选项（格式、改名、锐化……）\n"
                          "按下面的设置，每套都一样。只勾一个时，照常按上面选的预设处理。"));
    boxes->addWidget(box);
    outputs_.push_back(box);
  }
  boxes->addStretch();
  return row;
}

std::vector<Preset> MoreOptionsDialog::TickedOutputs() const {
  std::vector<Preset> ticked;
  for (size_t i = 0; i < outputs_.size(); ++i) {
    if (outputs_[i]->isChecked()) ticked.push_back(presets_[i]);
  }
  if (ticked.size() < 2) ticked.clear();
  return ticked;
}

void MoreOptionsDialog::TickOutputs(const std::vector<Preset>& outputs) {
  for (size_t i = 0; i < outputs_.size(); ++i) {
    outputs_[i]->setChecked(std::any_of(outputs.begin(), outputs.end(), [&](const Preset& p) {
      return p.name == presets_[i].name;
    }));
  }
}

// The rows scroll where the screen is shorter than they are (a 768-pixel
// laptop with a panel), so that 确定 stays on the screen; elsewhere all are
// in sight.
QScrollArea* MoreOptionsDialog::Scrolled(QLayout* rows) {
  auto* content = new QWidget;
  content->setLayout(rows);
  auto* area = new QScrollArea;
  area->setFrameShape(QFrame::NoFrame);
  area->setWidgetResizable(true);
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area->setWidget(content);
  area->setMinimumWidth(content->sizeHint().width() +
                        area->verticalScrollBar()->sizeHint().width());
  area->setMinimumHeight(std::min(content->sizeHint().height(), 200));
  return area;
}

void MoreOptionsDialog::FitScreen(const QScrollArea& area) {
  QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  const int room = screen->availableGeometry().height() - 40;  // the title bar
  const int whole =
      sizeHint().height() - area.sizeHint().height() + area.widget()->sizeHint().height();
  resize(sizeHint().width(), std::min(whole, room));
}

QWidget* MoreOptionsDialog::AddRow(const OperationField& field) {
  Row row{&field, new QCheckBox(QString::fromUtf8(field.label)), nullptr, nullptr, nullptr, nullptr,
          {}};
  std::vector<QWidget*> values;
  if (field.IsText()) {
    row.text = new QLineEdit;
    row.text->setMinimumWidth(160);
    row.text->setPlaceholderText(QString::fromUtf8(field.unit));
    values.push_back(row.text);
  } else if (field.choices != nullptr) {
    row.choice = new QComboBox;
    const std::vector<std::string> names = field.ChoiceNames();
    for (size_t i = 1; i < names.size(); ++i) row.choice->addItem(Q(names[i]));
    values.push_back(row.choice);
  } else if (field.IsNumber()) {
    row.number = new QSpinBox;
    row.number->setRange(field.range.low, field.range.high);
    row.number->setSuffix(QString::fromUtf8(field.unit));
    values.push_back(row.number);
  }
  if (field.file_kinds != nullptr) {
    // A seller picks the file rather than typing its path.
    auto* choose = new QPushButton(QString::fromUtf8("选择…"));
    QLineEdit* text = row.text;
    connect(choose, &QPushButton::clicked, this, [this, text, &field] {
      QFileDialog* dialog = NewChineseFileDialog(this, QString::fromUtf8(field.label),
                                                 DialogStartFolder(text->text().toStdString()));
      dialog->setFileMode(QFileDialog::ExistingFile);
      dialog->setNameFilter(QString::fromUtf8(field.file_kinds));
      if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
        text->setText(dialog->selectedFiles().front());
        Edited();
      }
      dialog->deleteLater();
    });
    values.push_back(choose);
  }
  if (field.colour != nullptr) {
    row.colour = new QLineEdit;
    row.colour->setValidator(new ColourValidator(row.colour));
    row.colour->setMaximumWidth(80);
    values.push_back(row.colour);
  }
  row.check->setWhatsThis(QString::fromUtf8(field.help));
  row.values = values;
  rows_.push_back(row);
  if (values.empty()) return row.check;
  // A switch and its values on one row; the values follow the switch.
  auto* line = new QWidget;
  auto* layout = new QHBoxLayout(line);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(row.check);
  for (QWidget* value : values) {
    value->setWhatsThis(row.check->whatsThis());
    layout->addWidget(value);
    value->setEnabled(false);
  }
  layout->addStretch();
  return line;
}

void MoreOptionsDialog::UpdateEnabling() {
  const ExtraOperations now = Operations();
  for (const Row& row : rows_) {
    const auto tuned = row.field->Needed();
    bool usable = !row.field->NeedsOtherFormat(now);
    for (const Row& other : rows_) {
      if (std::find(tuned.begin(), tuned.end(), other.field) != tuned.end()) {
        usable = usable && other.check->isChecked();
      }
    }
    row.check->setEnabled(usable);
    for (QWidget* value : row.values) value->setEnabled(usable && row.check->isChecked());
  }
}

void MoreOptionsDialog::Edited() {
  if (showing_) return;
  UpdateEnabling();
  const int index = preset_->currentIndex();
  if (index > 0 && !(presets_[static_cast<size_t>(index - 1)].operations == Operations())) {
    preset_->setCurrentIndex(0);
  }
}

void MoreOptionsDialog::Show(const ExtraOperations& o) {
  showing_ = true;
  for (const Row& row : rows_) {
    row.check->setChecked(row.field->IsOn(o));
    const int n = row.field->Number(o);
    if (row.number) row.number->setValue(n > 0 ? n : row.field->dialog_value);
    if (row.choice) row.choice->setCurrentIndex((n > 0 ? n : row.field->dialog_value) - 1);
    if (row.text) row.text->setText(Q(row.field->ValueText(o)));
    if (row.colour) row.colour->setText(Q(o.*row.field->colour));
  }
  showing_ = false;
  UpdateEnabling();
}

void MoreOptionsDialog::ChoosePreset(int index) {
  preset_->setCurrentIndex(index);
  if (index > 0) Show(presets_[static_cast<size_t>(index - 1)].operations);
}

void MoreOptionsDialog::ShowChosen(const std::string& name) {
  for (size_t i = 0; i < presets_.size(); ++i) {
    if (presets_[i].name == name && presets_[i].operations == Operations()) {
      preset_->setCurrentIndex(static_cast<int>(i) + 1);
    }
  }
}

std::optional<Preset> MoreOptionsDialog::ChosenPreset() const {
  const int index = preset_->currentIndex();
  if (index <= 0) return std::nullopt;
  const Preset& chosen = presets_[static_cast<size_t>(index - 1)];
  if (!(chosen.operations == Operations())) return std::nullopt;
  return chosen;
}

int MoreOptionsDialog::PresetWidth() const {
  const int index = preset_->currentIndex();
  return index > 0 ? presets_[static_cast<size_t>(index - 1)].width : 0;
}

bool MoreOptionsDialog::SaveAsPreset(const std::string& typed, std::string& error) {
  const std::string name = TrimSpaces(typed);
  if (name.empty() || name.find_first_of("[]\r\n") != std::string::npos) {
    error = "预设名称不能为空，也不能含有 [ 或 ]";
    return false;
  }
  // A built-in preset answers to its name first: one of the same name
  // would never be found.
  for (const Preset& built_in : Presets()) {
    if (name == built_in.name || name == built_in.id || name == built_in.short_name) {
      error = "预设名称“" + name + "”是内置预设的名称，请换一个";
      return false;
    }
  }
  Preset preset{name, "", "", PresetWidth(), Operations()};
  if (!SaveUserPreset(folder_, preset)) {
    error = "无法保存预设文件 " + std::string(kPresetsFileName);
    return false;
  }
  auto same = std::find_if(presets_.begin(), presets_.end(),
                           [&](const Preset& p) { return p.name == name; });
  if (same == presets_.end()) {
    presets_.push_back(preset);
    preset_->addItem(Q(name));
    same = presets_.end() - 1;
  }
  *same = preset;
  preset_->setCurrentIndex(static_cast<int>(same - presets_.begin()) + 1);
  return true;
}

bool MoreOptionsDialog::TextsAreFine() {
  for (const Row& row : rows_) {
    if (!row.text || !row.check->isChecked() || row.field->check == nullptr) continue;
    const std::string why = row.field->check(row.text->text().toStdString(), true);
    if (why.empty()) continue;
    QMessageBox::warning(this, QString::fromUtf8("提示"),
                         QString::fromUtf8(row.field->label) + QString::fromUtf8("：") + Q(why));
    row.text->setFocus();
    return false;
  }
  // What the run would refuse is not taken either, in the run's words.
  const std::string conflict = OperationsConflict(Operations());
  if (!conflict.empty()) {
    QMessageBox::warning(this, QString::fromUtf8("提示"), Q(conflict));
    return false;
  }
  return true;
}

void MoreOptionsDialog::SavePresetCommand() {
  QInputDialog ask(this);
  ask.setWindowTitle(QString::fromUtf8("保存为预设"));
  ask.setLabelText(QString::fromUtf8("预设名称："));
  ask.setOkButtonText(QString::fromUtf8("保存"));
  ask.setCancelButtonText(QString::fromUtf8("取消"));
  ask.setWhatsThis(
      QString::fromUtf8("给当前的选项起一个名字，保存为预设，以后在“预设”里选这个名字\n"
                        "就填好同样的选项（也可以在命令行用 --preset 名称）。\n"
                        "名字不能和内置的预设相同；和已保存的预设同名时替换它。"));
  // "?" mode over the name box and the buttons explains them too.
  for (QWidget* part : ask.findChildren<QWidget*>()) part->setWhatsThis(ask.whatsThis());
  if (ask.exec() != QDialog::Accepted) return;
  const QString name = ask.textValue();
  std::string error;
  if (!SaveAsPreset(name.toStdString(), error)) {
    QMessageBox::warning(this, QString::fromUtf8("提示"), Q(error));
  }
}

ExtraOperations MoreOptionsDialog::Operations() const {
  ExtraOperations o;
  for (const Row& row : rows_) {
    const bool on = row.check->isChecked();
    if (row.text) {
      // A text that makes no names turns the operation off.
      row.field->SetValueText(o, on ? row.text->text().toStdString() : "");
      continue;
    }
    const int value = row.number   ? row.number->value()
                      : row.choice ? row.choice->currentIndex() + 1
                                   : 1;
    row.field->Set(o, on ? value : 0);
    if (row.colour && row.colour->hasAcceptableInput()) {
      o.*row.field->colour = row.colour->text().toStdString();
    }
  }
  return o;
}

}  // namespace lumivane::ui
