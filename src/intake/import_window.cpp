#include "intake/import_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStringDecoder>
#include <QTableView>
#include <QVBoxLayout>
#include <variant>

#include "base/amount.h"
#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

enum Column { kLine, kFate, kMonth, kDay, kContent, kReason, kColumns };

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

ImportWindow::ImportWindow(DataSession& session, Messages& messages, int year, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(messages), year_(year) {
  setObjectName(QStringLiteral("Import"));
  setWindowTitle(QStringLiteral("取り込み"));
  setAccessibleName(windowTitle());
  setFont(uiFont());
  buildLayout();
  connect(&session_, &DataSession::changed, this, &ChildWindow::followData);
  connect(&session_, &DataSession::dataLoaded, this, &ChildWindow::followData);
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
  layout->addWidget(rowsView_, 1);
  layout->addWidget(summary_);
  layout->addLayout(bottom);

  connect(encodingChooser_, &QComboBox::currentIndexChanged, this, [this] {
    if (!fromText_ && !bytes_.isEmpty()) decode();
  });
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
  text_ = text.toStdString();
  source_->setText(source);
  encodingChooser_->setEnabled(false);
  replan();
  return !text_.empty();
}

bool ImportWindow::decode() {
  const std::string_view raw(bytes_.constData(), static_cast<std::size_t>(bytes_.size()));
  const auto sniffed = sniffImport(raw);
  const auto chosen = static_cast<Encoding>(encodingChooser_->currentIndex());
  if (const auto* refusal = std::get_if<ImportRefusal>(&sniffed)) {
    // A file the user says is Shift_JIS is decoded as such, though it
    // looked like neither.
    if (chosen != Encoding::ShiftJis || refusal->line == 0) {
      messages_.error(QStringLiteral("取り込めません"), fromCore(refusal->text()));
      text_.clear();
      replan();
      return false;
    }
  }
  const bool shiftJis =
      chosen == Encoding::ShiftJis ||
      (chosen == Encoding::Auto && std::holds_alternative<ImportEncoding>(sniffed) &&
       std::get<ImportEncoding>(sniffed) == ImportEncoding::ShiftJis);
  if (shiftJis) {
    QStringDecoder fromShiftJis("CP932");
    const QString text = fromShiftJis(bytes_);
    if (!fromShiftJis.isValid() || fromShiftJis.hasError()) {
      messages_.error(QStringLiteral("取り込めません"),
                      QStringLiteral("Shift_JISとして読めない文字があります"));
      text_.clear();
      replan();
      return false;
    }
    text_ = text.toStdString();
  } else {
    text_.assign(raw);
  }
  replan();
  return !text_.empty();
}

void ImportWindow::replan() {
  plan_ = ImportPlan{};
  if (!text_.empty()) {
    auto read = readImport(text_, session_.ledger(), session_.tickets(), year_);
    if (auto* refusal = std::get_if<ImportRefusal>(&read)) {
      text_.clear();
      messages_.error(QStringLiteral("取り込めません"), fromCore(refusal->text()));
    } else {
      plan_ = std::move(std::get<ImportPlan>(read));
    }
  }
  model_.setPlan(&plan_);
  rowsView_->resizeColumnsToContents();
  addToDays_->setEnabled(plan_.kind == ImportKind::Tickets);
  showSummary();
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
