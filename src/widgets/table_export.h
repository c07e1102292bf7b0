#pragma once
// Tables out of the program: Ctrl+C and a context menu (コピー, CSV保存…)
// on any grid or panel of figures. A copy is tab-separated text with the
// header row, which pastes into a spreadsheet as cells; a CSV file holds the
// table as shown, header row included. Both give the figures as plain
// numbers a spreadsheet can count with.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

class QAbstractItemView;
class QWidget;

namespace tamrel {

class DataSession;
class Messages;

// A table as its texts: the header row first, then the rows.
using TableText = QList<QStringList>;

// Gives a table's text: only the selected part when `selectedOnly` and
// something is selected, else the whole table.
using TableSource = std::function<TableText(bool selectedOnly)>;

enum class CsvEncoding {
  Utf8WithBom,  // what a spreadsheet opens with the Japanese intact
  ShiftJis,     // Windows' Japanese code page, for older spreadsheets
};

// A cell as it goes to a spreadsheet, the way the report command writes its
// figures: numbers plain ("1,500円" -> "1500", "141.16%" -> "141.16"), no
// figure ("－") an empty cell, no padding around labels ("　１月" -> "１月"),
// and a bet type under its one name (outputName). What shows on screen stays.
QString plainCell(const QString& shown);

// One line per row, cells separated by tabs, each a plainCell; a cell
// holding a tab, a line break or a double quote is quoted as spreadsheets
// quote it.
QString tabSeparated(const TableText& table);

// The table as a CSV file, each cell a plainCell: quoted where needed, CRLF
// line ends, in `encoding`; nullopt when a text has no form in that
// encoding.
std::optional<QByteArray> csvFile(const TableText& table, CsvEncoding encoding);
// CSV text (UTF-8) as a file in `encoding`; nullopt as above.
std::optional<QByteArray> csvFile(const std::string& utf8, CsvEncoding encoding);

// What `view` shows: the header row and the rows, with the row labels as a
// first column where the view shows them; hidden rows and columns left out.
// With `selectedOnly`, the rows and columns holding a selected cell (the
// whole table when nothing is selected). Empty rows at the end, the unused
// rest of a fixed-size grid, are left out of the whole table.
TableText viewTable(const QAbstractItemView* view, bool selectedOnly);

// Gives `widget` Ctrl+C (while the focus is in it), and a context menu with
// コピー and CSV保存…, all working on `source`. `name` is what the suggested
// file is called. Failures to save, and a file of `session`'s year chosen as
// the target, are told through `messages`.
void installTableExport(QWidget* widget, const DataSession& session, Messages& messages,
                        TableSource source, const QString& name);
// The same for a grid or any other table view, named by its accessible name.
void installTableExport(QAbstractItemView* view, const DataSession& session, Messages& messages);

// CSV保存…: asks for the file and its encoding, then writes `table`.
void saveTableAsCsv(QWidget* parent, const DataSession& session, Messages& messages,
                    const TableText& table, const QString& name);
// The same for CSV text (UTF-8) made elsewhere, under the dialog `title`.
// False when nothing was written (cancelled, or the user told why).
bool saveCsvText(QWidget* parent, const DataSession& session, Messages& messages,
                 const std::string& utf8, const QString& title, const QString& name);

}  // namespace tamrel
