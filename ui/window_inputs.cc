#include "ui/window_inputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <variant>

#include "ui/main_window.h"

namespace lumivane::ui {
namespace {

// Each input of the rows with its control.
template <typename Each>
void ForEachWindowInput(const MainWindow& window, Each each) {
  for (const BasicRow& row : BasicRows()) {
    for (const WindowInput& shown : row.window) {
      each(window.control(*ControlNamed(shown.control)), shown.input);
    }
  }
}

template <typename... F>
struct Overloaded : F... {
  using F::operator()...;
};

}  // namespace

UserInputs ReadInputs(const MainWindow& window) {
  UserInputs in;
  auto text = [&window](Control c) {
    return window.control_as<QLineEdit>(c)->text().toStdString();
  };
  in.source = text(Control::SourceFolderBox);
  in.subfolders = window.control_as<QCheckBox>(Control::SubfoldersCheck)->isChecked();
  in.target = text(Control::TargetFolderBox);
  ForEachWindowInput(window, [&in](QWidget* w, const auto& input) {
    std::visit(
        Overloaded{
            [&](bool& (*f)(UserInputs&)) { f(in) = qobject_cast<QCheckBox*>(w)->isChecked(); },
            [&](int& (*f)(UserInputs&)) { f(in) = qobject_cast<QComboBox*>(w)->currentIndex(); },
            [&](std::string& (*f)(UserInputs&)) {
              f(in) = qobject_cast<QLineEdit*>(w)->text().toStdString();
            },
        },
        input);
  });
  return in;
}

void ShowInputs(MainWindow& window, const UserInputs& inputs, Shown which) {
  UserInputs in = inputs;  // read through the rows' accessors
  ForEachWindowInput(window, [&](QWidget* w, const auto& input) {
    std::visit(Overloaded{
                   [&](bool& (*f)(UserInputs&)) {
                     if (which == Shown::kSwitches) qobject_cast<QCheckBox*>(w)->setChecked(f(in));
                   },
                   [&](int& (*f)(UserInputs&)) {
                     if (which == Shown::kValues)
                       qobject_cast<QComboBox*>(w)->setCurrentIndex(f(in));
                   },
                   [&](std::string& (*f)(UserInputs&)) {
                     if (which == Shown::kValues)
                       qobject_cast<QLineEdit*>(w)->setText(QString::fromStdString(f(in)));
                   },
               },
               input);
  });
}

const WindowInput* WindowInputOf(Control control) {
  const std::string_view name = ControlName(control);
  for (const BasicRow& row : BasicRows()) {
    for (const WindowInput& shown : row.window) {
      if (name == shown.control) return &shown;
    }
  }
  return nullptr;
}

std::vector<Control> FollowersOf(Control control) {
  std::vector<Control> followers;
  for (const BasicRow& row : BasicRows()) {
    if (row.group != RowGroup::kBasic || row.window.empty() ||
        row.window.front().control != std::string_view(ControlName(control)) ||
        !std::holds_alternative<bool& (*)(UserInputs&)>(row.window.front().input)) {
      continue;
    }
    for (size_t i = 1; i < row.window.size(); ++i) {
      followers.push_back(*ControlNamed(row.window[i].control));
    }
  }
  return followers;
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
