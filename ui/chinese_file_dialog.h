// The file and folder dialogs in Chinese whatever the system's locale:
// Qt's dialogs take sizes and dates from the system's locale, which on a
// machine set to "C" gives "KiB" and "8 Dec 2026".
#ifndef LUMIVANE_UI_CHINESE_FILE_DIALOG_H_
#define LUMIVANE_UI_CHINESE_FILE_DIALOG_H_

#include <QIdentityProxyModel>
#include <QString>

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

// A dialog that speaks Chinese in every column (the caller sets its mode).
QFileDialog* NewChineseFileDialog(QWidget* owner, const QString& title, const QString& start);

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_CHINESE_FILE_DIALOG_H_
