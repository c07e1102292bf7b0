#include "widgets/export_file.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>

#include "base/file_io.h"
#include "widgets/messages.h"

namespace tamrel {

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
  const std::filesystem::path target(QFile::encodeName(path).toStdString());
  const SaveResult result =
      writeFileAtomically(target, std::string_view(bytes.constData(), bytes.size()));
  if (result == SaveResult::Ok) return true;
  messages.error(QStringLiteral("ファイルを保存できませんでした"),
                 QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + QLatin1Char('\n') +
                     QString::fromStdString(saveResultText(result)));
  return false;
}

}  // namespace tamrel
