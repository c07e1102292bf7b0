#include "widgets/export_file.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QStandardPaths>
#include <QStatusBar>
#include <filesystem>

#include "base/file_io.h"
#include "ledger/ledger_file.h"
#include "widgets/messages.h"
#include "widgets/settings.h"

namespace tamrel {

namespace {

// A folder as the file system resolves it; as written when it is not there.
QString resolvedDir(const QString& dir) {
  const QString canonical = QFileInfo(dir).canonicalFilePath();
  return canonical.isEmpty() ? QDir(dir).absolutePath() : canonical;
}

// The file a write to `path` replaces: the writer follows a link, even one
// to a file not there yet, and replaces the file it points at.
QString landingPath(const QString& path) {
  QFileInfo file(path);
  // As deep as the system itself follows links.
  for (int hops = 0; file.isSymLink() && hops < 40; ++hops) file.setFile(file.symLinkTarget());
  return QDir(resolvedDir(file.absolutePath())).filePath(file.fileName());
}

std::filesystem::path fsPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString folderKey(const QString& suffix) { return QStringLiteral("ExportFolder/") + suffix; }

// How long the status bar says where a file went.
constexpr int kWrittenMillis = 10000;

}  // namespace

QString lastExportFolder(const QString& suffix) {
  const QString dir = programSettings()->value(folderKey(suffix)).toString();
  return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QString();
}

void rememberExportFolder(const QString& suffix, const QString& path) {
  programSettings()->setValue(folderKey(suffix), QFileInfo(path).absolutePath());
}

void reportWritten(QWidget* from, const QString& path) {
  auto* main = from != nullptr ? qobject_cast<QMainWindow*>(from->window()) : nullptr;
  // Only a status bar the window has: asking the window for one would add it.
  QStatusBar* bar = main != nullptr ? main->findChild<QStatusBar*>() : nullptr;
  if (bar == nullptr) return;
  bar->showMessage(QStringLiteral("保存しました: ") +
                       QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
                   kWrittenMillis);
}

bool isDataFileTarget(const QString& dataDir, const QString& path) {
  const QString landing = landingPath(path);
  const QDir dir(resolvedDir(dataDir));
  for (const std::string_view name : {kLedgerFileName, kTicketFileName}) {
    const QString file = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    QStringList names{file};
    for (int g = 1; g <= kKeptGenerations; ++g) {
      names << file + QLatin1Char('.') + QString::number(g);
    }
    for (const QString& kept : names) {
      const QString dataFile = dir.filePath(kept);
      if (landing == dataFile) return true;
      // A data file that is itself a link, or a second name of the same file.
      std::error_code ec;
      if (std::filesystem::equivalent(fsPath(landing), fsPath(dataFile), ec)) return true;
    }
  }
  return false;
}

SaveTarget askSaveTarget(QWidget* parent, const QString& title, const QStringList& filters,
                         const QString& suggestedName, const QString& suffix) {
  QFileDialog dialog(parent, title);
  dialog.setObjectName(QStringLiteral("ExportDialog"));
  dialog.setAccessibleName(title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(suffix);
  const QString last = lastExportFolder(suffix);
  dialog.setDirectory(
      last.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : last);
  dialog.selectFile(suggestedName + QLatin1Char('.') + suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  rememberExportFolder(suffix, dialog.selectedFiles().front());
  return {dialog.selectedFiles().front(),
          std::max(static_cast<int>(filters.indexOf(dialog.selectedNameFilter())), 0)};
}

bool writeExport(Messages& messages, const QString& dataDir, const QString& path,
                 const QByteArray& bytes) {
  if (isDataFileTarget(dataDir, path)) {
    messages.error(
        QStringLiteral("データファイルには保存できません"),
        QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) +
            QStringLiteral("\nこのファイルは開いている年のデータ（tosidata.dat、info.dat "
                           "とその控え）です。上書きすると入力した記録が失われます。"
                           "別の名前か別のフォルダを選んでください。"));
    return false;
  }
  const std::filesystem::path target = fsPath(path);
  const SaveResult result =
      writeFileAtomically(target, std::string_view(bytes.constData(), bytes.size()));
  if (result == SaveResult::Ok) return true;
  messages.error(QStringLiteral("ファイルを保存できませんでした"),
                 QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + QLatin1Char('\n') +
                     QString::fromStdString(saveResultText(result)));
  return false;
}

}  // namespace tamrel
