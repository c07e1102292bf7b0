#pragma once
// What the export commands share: asking where a file goes, and writing it
// through the one atomic writer, telling the user which file failed and why.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QWidget;

namespace tamrel {

class Messages;

struct SaveTarget {
  QString path;    // empty: the user cancelled
  int filter = 0;  // index of the chosen entry of `filters`
};

// A file dialog titled `title`, offering `filters` (the first chosen) and
// `suggestedName` in the folder last used for files ending in `suffix`
// (kept in the settings store; the user's documents folder before the
// first). The dialog is named "ExportDialog" so that it can be found while
// it is open.
SaveTarget askSaveTarget(QWidget* parent, const QString& title, const QStringList& filters,
                         const QString& suggestedName, const QString& suffix);

// The folder files ending in `suffix` were last saved in, when it is still
// there; empty otherwise.
QString lastExportFolder(const QString& suffix);
void rememberExportFolder(const QString& suffix, const QString& path);

// Says in the status bar of `from`'s main window where the file went.
void reportWritten(QWidget* from, const QString& path);

// Whether writing `path` would replace one of the year's own files in
// `dataDir`: "tosidata.dat", "info.dat" or a kept older version of either
// ("tosidata.dat.1" ..). Links are followed as the writer follows them, so
// neither a link to a data file nor a data directory reached by a link
// slips through; the file need not exist yet.
bool isDataFileTarget(const QString& dataDir, const QString& path);

// Replaces `path` with `bytes` at once; false after telling the user. A
// path that is one of the year's own files in `dataDir` is refused, and
// nothing is written.
bool writeExport(Messages& messages, const QString& dataDir, const QString& path,
                 const QByteArray& bytes);

}  // namespace tamrel
