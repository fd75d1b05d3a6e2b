#include "ui/chinese_file_dialog.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>

namespace lumivane::ui {

QVariant ChineseFileColumns::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  if (role != Qt::DisplayRole || files == nullptr) return QIdentityProxyModel::data(index, role);
  const QModelIndex source = mapToSource(index);
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  switch (index.column()) {
    case 1:
      if (files->isDir(source)) return QString();
      return chinese.formattedDataSize(files->size(source), 1, QLocale::DataSizeTraditionalFormat);
    case 2:
      if (files->isDir(source)) return QString::fromUtf8("文件夹");
      break;
    case 3:
      return chinese.toString(files->lastModified(source), QLocale::ShortFormat);
  }
  return QIdentityProxyModel::data(index, role);
}

QFileDialog* NewChineseFileDialog(QWidget* owner, const QString& title, const QString& start) {
  auto* dialog = new QFileDialog(owner, title, start);
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  // The columns are the widget dialog's own, so it is the one used.
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setProxyModel(new ChineseFileColumns(dialog));
  return dialog;
}

}  // namespace lumivane::ui
