#include "intake/import_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <variant>

#include "base/amount.h"
#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

enum Column { kLine, kFate, kMonth, kDay, kContent, kReason, kColumns };

// A file this wide is no spreadsheet of bets; the columns past it keep the
// header's mapping, unseen.
constexpr int kMaxShownColumns = 200;

int widthOf(const ImportRecords& records) {
  std::size_t width = 0;
  for (std::size_t r = 0; r < records.size(); ++r) width = std::max(width, records.fieldCount(r));
  return static_cast<int>(width);
}

QString cellOf(const ImportRecords& records, std::size_t record, int column) {
  if (record >= records.size()) return {};
  return fromCore(records.field(record, static_cast<std::size_t>(column)));
}

// The field of each column, -1 for none.
std::vector<int> fieldsOf(const ColumnMap& map, int width) {
  std::vector<int> fields(static_cast<std::size_t>(width), -1);
  for (int f = 0; f < kImportFieldCount; ++f) {
    const int column = map[static_cast<ImportField>(f)];
    if (column >= 0 && column < width) fields[static_cast<std::size_t>(column)] = f;
  }
  return fields;
}

// The drop-down of 取り込む項目, open all the time so every column shows
// what it holds; a choice is taken at once.
class FieldDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* chooser = new QComboBox(parent);
    chooser->setObjectName(QStringLiteral("ImportField%1").arg(index.column() + 1));
    chooser->setAccessibleName(QStringLiteral("%1列の取り込む項目").arg(index.column() + 1));
    for (int f = -1; f < kImportFieldCount; ++f) {
      chooser->addItem(ImportColumnsModel::fieldCaption(f), f);
    }
    chooser->setMaxVisibleItems(kImportFieldCount + 1);
    connect(chooser, &QComboBox::activated, this,
            [this, chooser] { emit const_cast<FieldDelegate*>(this)->commitData(chooser); });
    return chooser;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* chooser = static_cast<QComboBox*>(editor);
    chooser->setCurrentIndex(chooser->findData(index.data(Qt::EditRole)));
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    model->setData(index, static_cast<QComboBox*>(editor)->currentData(), Qt::EditRole);
  }

 protected:
  // Escape is the window's, as everywhere: a choice is taken at once, so
  // there is no edit to revert, and the delegate would swallow the key.
  // Tab goes on along the window's tab order, not to the next cell.
  bool eventFilter(QObject* object, QEvent* event) override {
    const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (key) {
      const int pressed = static_cast<QKeyEvent*>(event)->key();
      if (pressed == Qt::Key_Escape || pressed == Qt::Key_Tab || pressed == Qt::Key_Backtab) {
        return false;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }
};

QString yen(std::int64_t value) {
  const auto narrow = narrowAmount(value);
  return narrow ? fromCore(formatYen(*narrow)) : QString::number(value) + QStringLiteral("円");
}

// What a row brings, in the captions the entry windows show.
QString contentOf(const ImportPlan& plan, const ImportRow& row) {
  if (row.fate == RowFate::Error) return {};
  QStringList parts;
  if (plan.kind == ImportKind::Tickets) {
    for (const Attribute a : {Attribute::Racecourse, Attribute::RaceNo, Attribute::BetType}) {
      const std::string_view caption = captionOf(a, row.ticket);
      if (!caption.empty()) parts << fromCore(outputName(caption));
    }
  }
  std::int64_t stake = 0;
  std::int64_t payout = 0;
  for (std::size_t i = 0; i < kBetTypeCount; ++i) {
    stake += row.amounts.stake[i];
    payout += row.amounts.payout[i];
  }
  parts << QStringLiteral("購入 ") + yen(stake) << QStringLiteral("払戻 ") + yen(payout);
  return parts.join(QLatin1Char(' '));
}

}  // namespace

void ImportRowsModel::setPlan(const ImportPlan* plan) {
  beginResetModel();
  plan_ = plan;
  endResetModel();
}

int ImportRowsModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || plan_ == nullptr) return 0;
  return static_cast<int>(plan_->rows.size());
}

int ImportRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant ImportRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || plan_ == nullptr || index.row() >= rowCount()) return {};
  const ImportRow& row = plan_->rows[static_cast<std::size_t>(index.row())];
  if (role == Qt::TextAlignmentRole) {
    const bool number =
        index.column() == kLine || index.column() == kMonth || index.column() == kDay;
    return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  if (role == Qt::ForegroundRole && row.fate == RowFate::Error) return QColor(Qt::darkRed);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kLine:
      return row.line;
    case kFate:
      return fromCore(fateCaption(row.fate));
    case kMonth:
      return row.month > 0 ? QVariant(row.month) : QVariant();
    case kDay:
      return row.day > 0 ? QVariant(row.day) : QVariant();
    case kContent:
      return contentOf(*plan_, row);
    case kReason:
      return fromCore(row.reason);
    default:
      return {};
  }
}

QVariant ImportRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const QStringList kCaptions{QStringLiteral("行"),   QStringLiteral("結果"),
                                     QStringLiteral("月"),   QStringLiteral("日"),
                                     QStringLiteral("内容"), QStringLiteral("理由")};
  return section >= 0 && section < kCaptions.size() ? kCaptions[section] : QVariant();
}

void ImportColumnsModel::setColumns(const QStringList& headers, const QStringList& samples,
                                    const std::vector<int>& fields) {
  beginResetModel();
  headers_ = headers;
  samples_ = samples;
  fields_ = fields;
  endResetModel();
}

int ImportColumnsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kRows;
}

int ImportColumnsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::min(static_cast<int>(fields_.size()), kMaxShownColumns);
}

QVariant ImportColumnsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= columnCount()) return {};
  const int field = fields_[static_cast<std::size_t>(index.column())];
  if (index.row() == kFieldRow) {
    if (role == Qt::EditRole) return field;
    if (role == Qt::DisplayRole) return fieldCaption(field);
    return {};
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const QStringList& texts = index.row() == kHeaderRow ? headers_ : samples_;
  return index.column() < texts.size() ? texts[index.column()] : QString();
}

bool ImportColumnsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || index.row() != kFieldRow || index.column() >= columnCount()) {
    return false;
  }
  bool ok = false;
  const int field = value.toInt(&ok);
  if (!ok || field < -1 || field >= kImportFieldCount) return false;
  int& at = fields_[static_cast<std::size_t>(index.column())];
  if (at == field) return true;
  at = field;
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

Qt::ItemFlags ImportColumnsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const Qt::ItemFlags shown = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return index.row() == kFieldRow ? shown | Qt::ItemIsEditable : shown;
}

QVariant ImportColumnsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return QStringLiteral("%1列").arg(section + 1);
  static const QStringList kCaptions{QStringLiteral("見出し"), QStringLiteral("値の例"),
                                     QStringLiteral("取り込む項目")};
  return section >= 0 && section < kCaptions.size() ? kCaptions[section] : QVariant();
}

QString ImportColumnsModel::fieldCaption(int field) {
  static const QStringList kCaptions = [] {
    QStringList captions{
        QStringLiteral("日付"),   QStringLiteral("月"),       QStringLiteral("日"),
        QStringLiteral("場名"),   QStringLiteral("レース"),   QStringLiteral("曜日"),
        QStringLiteral("コース"), QStringLiteral("距離"),     QStringLiteral("馬齢"),
        QStringLiteral("クラス"), QStringLiteral("条件"),     QStringLiteral("頭数"),
        QStringLiteral("券種"),   QStringLiteral("購入金額"), QStringLiteral("払戻金額"),
    };
    for (const QString& quantity : {QStringLiteral("購入金額"), QStringLiteral("払戻金額")}) {
      for (const BetTypeInfo& bet : kBetTypes) captions << fromCore(bet.labelCaption) + quantity;
    }
    return captions;
  }();
  if (field < 0 || field >= kCaptions.size()) return QStringLiteral("使わない");
  return kCaptions[field];
}

ImportWindow::ImportWindow(DataSession& session, Messages& messages, int year, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(messages), year_(year) {
  setObjectName(QStringLiteral("Import"));
  setWindowTitle(QStringLiteral("取り込み"));
  setAccessibleName(windowTitle());
  setFont(uiFont());
  buildLayout();
  followSession(session_, Follows::Everything);
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::buildLayout() {
  source_ = new QLabel(this);
  source_->setObjectName(QStringLiteral("ImportSource"));
  encodingChooser_ = new QComboBox(this);
  encodingChooser_->setObjectName(QStringLiteral("ImportEncoding"));
  encodingChooser_->setAccessibleName(QStringLiteral("文字コード"));
  encodingChooser_->addItems(
      {QStringLiteral("自動"), QStringLiteral("UTF-8"), QStringLiteral("Shift_JIS")});
  auto* encodingCaption = new QLabel(QStringLiteral("文字コード(&E)"), this);
  encodingCaption->setBuddy(encodingChooser_);
  auto* top = new QHBoxLayout;
  top->addWidget(source_, 1);
  top->addWidget(encodingCaption);
  top->addWidget(encodingChooser_);

  columnsView_ = new QTableView(this);
  columnsView_->setObjectName(QStringLiteral("ImportColumns"));
  columnsView_->setAccessibleName(QStringLiteral("列の割り当て"));
  columnsView_->setModel(&columnsModel_);
  columnsView_->setItemDelegateForRow(ImportColumnsModel::kFieldRow,
                                      new FieldDelegate(columnsView_));
  columnsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  columnsView_->setSelectionMode(QAbstractItemView::NoSelection);
  columnsView_->setTabKeyNavigation(false);
  // The lists take the focus, the strip itself has nothing to do with it.
  columnsView_->setFocusPolicy(Qt::NoFocus);
  columnsView_->setWordWrap(false);
  columnsView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  columnsView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  {
    // Rows high enough for the drop-downs.
    QComboBox probe;
    probe.addItem(ImportColumnsModel::fieldCaption(-1));
    QHeaderView* rows = columnsView_->verticalHeader();
    rows->setDefaultSectionSize(std::max(probe.sizeHint().height(), rows->defaultSectionSize()));
    rows->setSectionResizeMode(QHeaderView::Fixed);
    fitColumnsHeight();
  }
  headerRow_ = new QCheckBox(QStringLiteral("1行目は見出し(&H)"), this);
  headerRow_->setObjectName(QStringLiteral("HeaderRow"));
  headerRow_->setAccessibleName(QStringLiteral("1行目は見出し"));
  headerRow_->setChecked(true);
  columnsProblem_ = new QLabel(this);
  columnsProblem_->setObjectName(QStringLiteral("ImportColumnsProblem"));
  columnsProblem_->setAccessibleName(QStringLiteral("取り込めない理由"));
  columnsProblem_->setStyleSheet(QStringLiteral("color: darkred"));
  auto* columnsLine = new QHBoxLayout;
  columnsLine->addWidget(headerRow_);
  columnsLine->addSpacing(12);
  columnsLine->addWidget(columnsProblem_, 1);

  rowsView_ = new QTableView(this);
  rowsView_->setObjectName(QStringLiteral("ImportRows"));
  rowsView_->setAccessibleName(QStringLiteral("取り込む行"));
  rowsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rowsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
  rowsView_->setTabKeyNavigation(false);
  rowsView_->setWordWrap(false);
  rowsView_->verticalHeader()->hide();
  rowsView_->setModel(&model_);
  rowsView_->horizontalHeader()->setStretchLastSection(true);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("ImportSummary"));
  summary_->setAccessibleName(QStringLiteral("取り込みの合計"));
  addToDays_ = new QCheckBox(QStringLiteral("日ごとの金額にも加える(&D)"), this);
  addToDays_->setObjectName(QStringLiteral("AddToDays"));
  addToDays_->setAccessibleName(QStringLiteral("日ごとの金額にも加える"));
  importButton_ = commandButton(QStringLiteral("ImportButton"), QStringLiteral("取り込む"), this);
  cancelButton_ = commandButton(QStringLiteral("CancelButton"), QStringLiteral("キャンセル"), this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(addToDays_);
  bottom->addStretch(1);
  bottom->addWidget(importButton_);
  bottom->addWidget(cancelButton_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(columnsView_);
  layout->addLayout(columnsLine);
  layout->addWidget(rowsView_, 1);
  layout->addWidget(summary_);
  layout->addLayout(bottom);

  connect(encodingChooser_, &QComboBox::currentIndexChanged, this, [this] {
    if (!fromText_ && !bytes_.isEmpty()) decode();
  });
  connect(headerRow_, &QCheckBox::toggled, this,
          [this] { showColumns(std::vector<int>(columnsModel_.fields())); });
  connect(&columnsModel_, &QAbstractItemModel::dataChanged, this, &ImportWindow::replan);
  connect(importButton_, &QPushButton::clicked, this, &ImportWindow::importRows);
  connect(cancelButton_, &QPushButton::clicked, this, &ChildWindow::closeWindow);
  importButton_->setEnabled(false);
}

bool ImportWindow::showBytes(const QByteArray& bytes, const QString& source) {
  bytes_ = bytes;
  fromText_ = false;
  source_->setText(source);
  return decode();
}

bool ImportWindow::showText(const QString& text, const QString& source) {
  fromText_ = true;
  bytes_.clear();
  source_->setText(source);
  encodingChooser_->setEnabled(false);
  return readRecords(text.toStdString());
}

bool ImportWindow::decode() {
  const auto chosen = static_cast<ImportDecoding>(encodingChooser_->currentIndex());
  auto decoded = decodeImportText(
      std::string_view(bytes_.constData(), static_cast<std::size_t>(bytes_.size())), chosen);
  if (const auto* refusal = std::get_if<ImportRefusal>(&decoded)) {
    messages_.error(QStringLiteral("取り込めません"), fromCore(refusal->text()));
    return readRecords({});
  }
  ImportText& text = std::get<ImportText>(decoded);
  return readRecords(std::move(text.utf8), text.limits);
}

bool ImportWindow::readRecords(std::string text, ImportLimits limits) {
  // The records are places in the text: they go before it does.
  records_ = ImportRecords{};
  text_ = std::move(text);
  if (!text_.empty()) {
    auto read = readImportRecords(text_, limits);
    std::optional<ImportRefusal> refusal;
    if (auto* why = std::get_if<ImportRefusal>(&read)) {
      refusal = *why;
    } else {
      records_ = std::move(std::get<ImportRecords>(read));
      if (records_.empty()) refusal = ImportRefusal{0, "取り込む行がありません"};
    }
    // One column can never hold a date and an amount: no choice of fields
    // could read it, so it is refused as a file of unknown columns.
    if (!refusal && widthOf(records_) < 2) {
      const auto kind = kindOf(mapHeader(records_));
      if (const auto* why = std::get_if<std::string>(&kind)) {
        refusal = ImportRefusal{records_.line(0), *why};
      }
    }
    if (refusal) {
      messages_.error(QStringLiteral("取り込めません"), fromCore(refusal->text()));
      records_ = ImportRecords{};
      text_.clear();
    }
  }
  // The header's own mapping to start from, whether or not the first line
  // is taken as a header: the user's choices start again with new text.
  showColumns(records_.empty() ? std::vector<int>{}
                               : fieldsOf(mapHeader(records_), widthOf(records_)));
  return !text_.empty();
}

void ImportWindow::showColumns(const std::vector<int>& fields) {
  const bool header = headerRow_->isChecked();
  QStringList headers;
  QStringList samples;
  for (int c = 0; c < std::min(static_cast<int>(fields.size()), kMaxShownColumns); ++c) {
    headers << (header ? cellOf(records_, 0, c) : QString());
    samples << cellOf(records_, header ? 1 : 0, c);
  }
  columnsModel_.setColumns(headers, samples, fields);
  // Tab goes from the encoding through the columns' lists, then on down.
  QWidget* before = encodingChooser_;
  for (int c = 0; c < columnsModel_.columnCount(); ++c) {
    const QModelIndex index = columnsModel_.index(ImportColumnsModel::kFieldRow, c);
    columnsView_->openPersistentEditor(index);
    QWidget* chooser = columnsView_->indexWidget(index);
    setTabOrder(before, chooser);
    before = chooser;
  }
  setTabOrder(before, headerRow_);
  columnsView_->resizeColumnsToContents();
  fitColumnsHeight();
  replan();
}

void ImportWindow::fitColumnsHeight() {
  // Its three rows whole and the scroll bar for wide files, never more: the
  // rows below take the rest. An empty header has no height of its own yet.
  QHeaderView* header = columnsView_->horizontalHeader();
  const int headerHeight =
      std::max(header->sizeHint().height(), header->fontMetrics().height() + 8);
  columnsView_->setFixedHeight(
      headerHeight +
      ImportColumnsModel::kRows * columnsView_->verticalHeader()->defaultSectionSize() +
      columnsView_->horizontalScrollBar()->sizeHint().height() + 2 * columnsView_->frameWidth());
}

std::variant<ColumnMap, QString> ImportWindow::chosenMap() const {
  ColumnMap map;
  const std::vector<int>& fields = columnsModel_.fields();
  for (std::size_t c = 0; c < fields.size(); ++c) {
    if (fields[c] < 0) continue;
    int& column = map[static_cast<ImportField>(fields[c])];
    if (column >= 0) {
      return QStringLiteral("%1列と%2列がどちらも%3です")
          .arg(column + 1)
          .arg(c + 1)
          .arg(ImportColumnsModel::fieldCaption(fields[c]));
    }
    column = static_cast<int>(c);
  }
  return map;
}

void ImportWindow::replan() {
  plan_ = ImportPlan{};
  QString problem;
  if (!text_.empty()) {
    const auto map = chosenMap();
    if (const auto* why = std::get_if<QString>(&map)) {
      problem = *why;
    } else {
      const auto kind = kindOf(std::get<ColumnMap>(map));
      if (const auto* none = std::get_if<std::string>(&kind)) {
        problem = fromCore(*none);
      } else {
        plan_ = planImport(records_, std::get<ColumnMap>(map), std::get<ImportKind>(kind),
                           session_.ledger(), session_.tickets(), year_, headerRow_->isChecked());
      }
    }
  }
  columnsProblem_->setText(problem);
  model_.setPlan(&plan_);
  rowsView_->resizeColumnsToContents();
  addToDays_->setEnabled(plan_.kind == ImportKind::Tickets);
  showSummary();
  if (!problem.isEmpty()) importButton_->setEnabled(false);
}

void ImportWindow::showSummary() {
  QStringList parts;
  for (const RowFate fate : {RowFate::Add, RowFate::Same, RowFate::Overwrite, RowFate::Error}) {
    parts << fromCore(fateCaption(fate)) + QStringLiteral(" %1件").arg(plan_.count(fate));
  }
  parts << QStringLiteral("購入金額 ") + yen(plan_.stake)
        << QStringLiteral("払戻金額 ") + yen(plan_.payout);
  summary_->setText(parts.join(QStringLiteral("　")));
  importButton_->setEnabled(plan_.count(RowFate::Add) + plan_.count(RowFate::Overwrite) > 0);
}

void ImportWindow::importRows() {
  ImportOptions options;
  options.addToDays = plan_.kind == ImportKind::Tickets && addToDays_->isChecked();
  const int overwrite = plan_.count(RowFate::Overwrite);
  if (overwrite > 0) {
    options.overwrite =
        messages_.ask(QStringLiteral("%1日の金額がファイルと違います。上書きしますか？\n"
                                     "（いいえ: その日は今のままにします）")
                          .arg(overwrite),
                      false);
  }
  if (acceptedRows(plan_, options) == 0) {
    messages_.notice(QStringLiteral("取り込む行がありません"));
    return;
  }
  if (!session_.applyImport(plan_, options)) {
    messages_.error(QStringLiteral("取り込めませんでした"),
                    QStringLiteral("金額か馬券の数が範囲を超えます。何も変わっていません。"));
    return;
  }
  closeWindow();
}

}  // namespace tamrel
