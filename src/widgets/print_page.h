#pragma once
// A view on paper: 印刷… (a print preview) and PDF保存… put the same pages
// out. The first page is headed by the view's title, the data directory and
// the period; then come the view's tables, each split over as many pages as
// it needs with its header row again at the top of every page, and its
// graphs, each on the page where it fits whole. Every page carries the
// title and "n / N" at its foot. The program's own fonts are used, so the
// Japanese reads as on the screen.

#include <QList>
#include <QPointer>
#include <QString>
#include <optional>

#include "base/period.h"
#include "widgets/table_export.h"

class QAbstractItemView;
class QPainter;
class QPrinter;
class QWidget;

namespace tamrel {

class ChildWindow;
class DataSession;
class Messages;

// What a view puts on paper.
struct PrintPage {
  QString title;
  QString period;  // as periodText gives it; empty for a view without one
  // Tables as they show (viewTable), the header row first.
  QList<TableText> tables;
  // Graphs drawn as they show, at the page's width; a graph that has gone
  // is left out.
  QList<QPointer<QWidget>> graphs;
};

// The page of a window: its tables read as shown by `views` (none for a
// null one).
PrintPage printPageOf(const QString& title, const QString& period,
                      const QList<const QAbstractItemView*>& views,
                      const QList<QWidget*>& graphs = {});

// "1月1日～12月31日", the whole year "1月1日～12月31日（年間）".
QString periodText(const Period& period);

// Lays `page` out on `printer`'s paper and draws it, `dataDir` named under
// the title. Returns the number of pages drawn. Without a painter nothing is
// drawn and only the pages are counted.
int drawPrintPage(QPrinter& printer, QPainter* painter, const PrintPage& page,
                  const QString& dataDir);

// A printer made ready for `page`: A4, upright unless a table reads whole
// only across the paper, the title as the document's name.
void preparePrinter(QPrinter& printer, const PrintPage& page);

// The page as a PDF file's bytes.
QByteArray printPdf(const PrintPage& page, const QString& dataDir);

// 印刷…: the print preview of `page`, from which the user prints.
void showPrintPreview(QWidget* parent, const PrintPage& page, const QString& dataDir);
// PDF保存…: asks for the file and writes the page as a PDF, never over a
// file of the year (failures told through `messages`). False when nothing
// was written.
bool savePrintPdf(QWidget* parent, const DataSession& session, Messages& messages,
                  const PrintPage& page);

// The child window holding `widget` (itself included), or nullptr.
ChildWindow* windowOf(QWidget* widget);

// Gives `widget`'s context menu 印刷… and PDF保存… of the window holding it;
// the two show only while that window prints.
void installPrintCommands(QWidget* widget, const DataSession& session, Messages& messages);

}  // namespace tamrel
