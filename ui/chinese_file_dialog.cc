#include "ui/chinese_file_dialog.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QStandardPaths>
#include <QTreeView>
#include <vector>

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
  // The program's prompts end in "：", which a window's title does not.
  QString caption = title;
  while (caption.endsWith(QString::fromUtf8("："))) caption.chop(1);
  auto* dialog = new QFileDialog(owner, caption, start);
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  // The columns are the widget dialog's own, so it is the one used.
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setProxyModel(new ChineseFileColumns(dialog));
  // "PNG 图像" whole, not "P…像".
  if (auto* details = dialog->findChild<QTreeView*>()) {
    details->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  }
  return dialog;
}

QString DialogStartFolder(const std::string& value) {
  const QFileInfo given(QString::fromStdString(value));
  if (!value.empty() && given.isDir()) return given.absoluteFilePath();
  if (!value.empty() && given.absoluteDir().exists()) return given.absolutePath();
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  return !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

namespace {

struct PictureKind {
  const char* name;
  std::vector<const char*> extensions;
};
const std::vector<PictureKind> kWatermarkKinds = {{"PNG", {"png"}},   {"JPG", {"jpg", "jpeg"}},
                                                  {"GIF", {"gif"}},   {"BMP", {"bmp"}},
                                                  {"WebP", {"webp"}}, {"TIFF", {"tif", "tiff"}}};

// Both letter cases: file names here are case-sensitive.
QString Patterns(const PictureKind& kind) {
  QStringList list;
  for (const char* e : kind.extensions) {
    list << QString("*.") + e << (QString("*.") + e).toUpper();
  }
  return list.join(' ');
}

}  // namespace

QString WatermarkPictureFilter() {
  QStringList names, all, filters;
  for (const PictureKind& k : kWatermarkKinds) {
    const QString upper = QString(k.name).toUpper();
    names << "*." + upper;
    all << Patterns(k);
    filters << QString::fromUtf8("%1图片(*.%2) (%3)").arg(k.name, upper, Patterns(k));
  }
  filters.prepend(QString::fromUtf8("图片文件(%1) (%2)").arg(names.join(';'), all.join(' ')));
  return filters.join(";;");
}

bool IsWatermarkPictureName(const std::string& path) {
  const QString lower = QString::fromStdString(path).toLower();
  for (const PictureKind& k : kWatermarkKinds) {
    for (const char* e : k.extensions) {
      if (lower.endsWith(QString(".") + e)) return true;
    }
  }
  return false;
}

}  // namespace lumivane::ui
