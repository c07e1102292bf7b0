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
// `suggestedName` in the user's documents folder. The dialog is named
// "ExportDialog" so that it can be found while it is open.
SaveTarget askSaveTarget(QWidget* parent, const QString& title, const QStringList& filters,
                         const QString& suggestedName, const QString& suffix);

// Replaces `path` with `bytes` at once; false after telling the user.
bool writeExport(Messages& messages, const QString& path, const QByteArray& bytes);

}  // namespace tamrel
