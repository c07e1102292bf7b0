#include "widgets/table_export.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QStyledItemDelegate>
#include <QTableView>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "base/csv.h"
#include "ledger/ledger_records.h"
#include "state/data_session.h"
#include "widgets/export_file.h"
#include "widgets/grid.h"
#include "widgets/messages.h"
#include "widgets/print_page.h"

namespace tamrel {

namespace {

const QString kUtf8Filter = QStringLiteral("CSV UTF-8 BOM付き (*.csv)");
const QString kShiftJisFilter = QStringLiteral("CSV Shift_JIS (*.csv)");

QString tsvCell(const QString& text) {
  if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\n')) &&
      !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('"'))) {
    return text;
  }
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A cell's text as the view draws it: through its delegate, so numbers and
// dates read as they show.
QString shownText(const QAbstractItemView* view, const QModelIndex& index) {
  const QVariant value = index.data(Qt::DisplayRole);
  if (const auto* delegate =
          qobject_cast<const QStyledItemDelegate*>(view->itemDelegateForIndex(index))) {
    QString text = delegate->displayText(value, view->locale());
    // Qt's delegates draw a line break as U+2028; the copy keeps the break.
    if (value.toString().contains(QLatin1Char('\n'))) {
      text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    }
    return text;
  }
  return value.toString();
}

struct Lines {
  std::vector<int> rows;
  std::vector<int> columns;
};

Lines shownLines(const QAbstractItemView* view, bool selectedOnly) {
  const QAbstractItemModel* model = view->model();
  const auto* table = qobject_cast<const QTableView*>(view);
  std::set<int> pickedRows;
  std::set<int> pickedColumns;
  if (selectedOnly && view->selectionModel() != nullptr) {
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes()) {
      pickedRows.insert(index.row());
      pickedColumns.insert(index.column());
    }
  }
  const bool whole = pickedRows.empty();
  Lines lines;
  for (int r = 0; r < model->rowCount(); ++r) {
    if (table != nullptr && table->isRowHidden(r)) continue;
    if (whole || pickedRows.count(r) != 0) lines.rows.push_back(r);
  }
  for (int c = 0; c < model->columnCount(); ++c) {
    if (table != nullptr && table->isColumnHidden(c)) continue;
    if (whole || pickedColumns.count(c) != 0) lines.columns.push_back(c);
  }
  return lines;
}

// Whether the row's cells (its label, from `first`, aside) are all blank.
bool blankRow(const QStringList& row, qsizetype first) {
  return std::all_of(row.begin() + first, row.end(),
                     [](const QString& s) { return s.trimmed().isEmpty(); });
}

}  // namespace

QString plainCell(const QString& shown) {
  // Grouped or not, with a sign, decimals and a unit the screen adds.
  static const QRegularExpression number(
      QStringLiteral("^([+-]?(?:[0-9]{1,3}(?:,[0-9]{3})+|[0-9]+)(?:\\.[0-9]+)?)(?:%|円)?$"));
  // The padding that lines labels up ("　１月", " 1") is the screen's alone.
  const QString text = shown.trimmed();
  if (text == QStringLiteral("－")) return {};
  const QRegularExpressionMatch match = number.match(text);
  if (match.hasMatch()) return match.captured(1).remove(QLatin1Char(','));
  const std::string utf8 = text.toStdString();
  return QString::fromUtf8(outputName(utf8));
}

QString tabSeparated(const TableText& table) {
  QString text;
  for (const QStringList& row : table) {
    QStringList cells;
    for (const QString& cell : row) cells << tsvCell(plainCell(cell));
    text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  }
  return text;
}

namespace {

// The table's records as CSV text, UTF-8.
std::string csvText(const TableText& table) {
  std::string utf8;
  for (const QStringList& row : table) {
    std::vector<std::string> fields;
    for (const QString& cell : row) fields.push_back(plainCell(cell).toStdString());
    utf8 += csvRecord(fields);
  }
  return utf8;
}

}  // namespace

std::optional<QByteArray> csvFile(const TableText& table, CsvEncoding encoding) {
  return csvFile(csvText(table), encoding);
}

std::optional<QByteArray> csvFile(const std::string& utf8, CsvEncoding encoding) {
  if (encoding == CsvEncoding::Utf8WithBom) {
    return QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(utf8);
  }
  QStringEncoder toShiftJis("CP932");
  QByteArray bytes = toShiftJis(QString::fromStdString(utf8));
  if (!toShiftJis.isValid() || toShiftJis.hasError()) return std::nullopt;
  return bytes;
}

TableText viewTable(const QAbstractItemView* view, bool selectedOnly) {
  const QAbstractItemModel* model = view->model();
  if (model == nullptr) return {};
  const auto* table = qobject_cast<const QTableView*>(view);
  const bool labels = table != nullptr && !table->verticalHeader()->isHidden();
  const Lines lines = shownLines(view, selectedOnly);

  QStringList header;
  if (labels) {
    const auto* grid = qobject_cast<const Grid*>(view);
    header << (grid != nullptr ? grid->cell(0, 0) : QString());
  }
  for (int c : lines.columns) header << model->headerData(c, Qt::Horizontal).toString();
  TableText text{header};
  for (int r : lines.rows) {
    QStringList row;
    if (labels) row << model->headerData(r, Qt::Vertical).toString();
    for (int c : lines.columns) row << shownText(view, model->index(r, c));
    text << row;
  }
  // A selection is taken as it is; the whole table without the blank rest.
  const bool whole = static_cast<std::size_t>(model->rowCount()) == lines.rows.size();
  while (whole && text.size() > 1 && blankRow(text.back(), labels ? 1 : 0)) text.removeLast();
  return text;
}

void saveTableAsCsv(QWidget* parent, const DataSession& session, Messages& messages,
                    const TableText& table, const QString& name) {
  saveCsvText(parent, session, messages, csvText(table), QStringLiteral("CSV保存"), name);
}

bool saveCsvText(QWidget* parent, const DataSession& session, Messages& messages,
                 const std::string& utf8, const QString& title, const QString& name) {
  const SaveTarget target =
      askSaveTarget(parent, title, {kUtf8Filter, kShiftJisFilter}, name, QStringLiteral("csv"));
  if (target.path.isEmpty()) return false;
  const CsvEncoding encoding =
      target.filter == 1 ? CsvEncoding::ShiftJis : CsvEncoding::Utf8WithBom;
  const std::optional<QByteArray> bytes = csvFile(utf8, encoding);
  if (!bytes) {
    messages.error(QStringLiteral("ファイルを保存できませんでした"),
                   target.path + QStringLiteral("\nShift_JISで書けない文字があります。"
                                                "UTF-8で保存してください。"));
    return false;
  }
  if (!writeExport(messages, session.dataDirPath(), target.path, *bytes)) return false;
  reportWritten(parent, target.path);
  return true;
}

void installTableExport(QWidget* widget, const DataSession& session, Messages& messages,
                        TableSource source, const QString& name) {
  auto* copy = new QAction(QStringLiteral("コピー"), widget);
  copy->setObjectName(QStringLiteral("CopyTable"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  QObject::connect(copy, &QAction::triggered, widget,
                   [source] { QApplication::clipboard()->setText(tabSeparated(source(true))); });
  auto* save = new QAction(QStringLiteral("CSV保存…"), widget);
  save->setObjectName(QStringLiteral("SaveTableCsv"));
  QObject::connect(save, &QAction::triggered, widget, [widget, &session, &messages, source, name] {
    saveTableAsCsv(widget, session, messages, source(false), name);
  });
  widget->addAction(copy);
  widget->addAction(save);
  installPrintCommands(widget, session, messages);
  widget->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void installTableExport(QAbstractItemView* view, const DataSession& session, Messages& messages) {
  const QString name =
      view->accessibleName().isEmpty() ? QStringLiteral("表") : view->accessibleName();
  installTableExport(
      view, session, messages, [view](bool selectedOnly) { return viewTable(view, selectedOnly); },
      name);
}

}  // namespace tamrel
