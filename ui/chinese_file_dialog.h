// The file and folder dialogs in Chinese whatever the system's locale:
// Qt's dialogs take sizes and dates from the system's locale, which on a
// machine set to "C" gives "KiB" and "8 Dec 2026".
#ifndef LUMIVANE_UI_CHINESE_FILE_DIALOG_H_
#define LUMIVANE_UI_CHINESE_FILE_DIALOG_H_

#include <QIdentityProxyModel>
#include <QString>
#include <string>

class QFileDialog;
class QWidget;

namespace lumivane::ui {

// Over the dialog's file model: sizes in KB/MB and dates in Chinese, and
// "文件夹" for a folder's type.
class ChineseFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override;
};

// A dialog that speaks Chinese in every column (the caller sets its mode),
// its type column as wide as its texts.
QFileDialog* NewChineseFileDialog(QWidget* owner, const QString& title, const QString& start);

// Where a chooser opens for a box holding `value`: that folder, or the
// folder of that file; else the user's pictures folder, else home.
QString DialogStartFolder(const std::string& value);

// The watermark picture's chooser lists every format the reader takes
// (the first entry all of them); a picture dropped is taken by the same
// names.
QString WatermarkPictureFilter();
bool IsWatermarkPictureName(const std::string& path);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_CHINESE_FILE_DIALOG_H_
