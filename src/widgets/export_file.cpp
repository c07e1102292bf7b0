#include "widgets/export_file.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/file_io.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

// Why a write into `path` could fail, found from what is there now; the
// writer itself only says that it failed.
QString whyNotWritten(const QString& path, int error) {
  const QFileInfo file(path);
  const QFileInfo folder(file.absolutePath());
  if (!folder.isDir()) return QStringLiteral("保存先のフォルダがありません。");
  if (file.exists() && !file.isFile()) return QStringLiteral("通常のファイルではありません。");
  if (!folder.isWritable()) return QStringLiteral("保存先のフォルダに書き込む権限がありません。");
  if (error != 0) return QString::fromLocal8Bit(std::strerror(error));
  return QStringLiteral("書き込めませんでした（ディスクの空き容量を確かめてください）。");
}

}  // namespace

SaveTarget askSaveTarget(QWidget* parent, const QString& title, const QStringList& filters,
                         const QString& suggestedName, const QString& suffix) {
  QFileDialog dialog(parent, title);
  dialog.setObjectName(QStringLiteral("ExportDialog"));
  dialog.setAccessibleName(title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(suffix);
  dialog.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
  dialog.selectFile(suggestedName + QLatin1Char('.') + suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {dialog.selectedFiles().front(),
          std::max(static_cast<int>(filters.indexOf(dialog.selectedNameFilter())), 0)};
}

bool writeExport(Messages& messages, const QString& path, const QByteArray& bytes) {
  errno = 0;
  const std::filesystem::path target(QFile::encodeName(path).toStdString());
  if (writeFileAtomically(target, std::string_view(bytes.constData(), bytes.size()))) return true;
  const int error = errno;
  messages.error(QStringLiteral("ファイルを保存できませんでした"),
                 QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + QLatin1Char('\n') +
                     whyNotWritten(path, error));
  return false;
}

}  // namespace tamrel
