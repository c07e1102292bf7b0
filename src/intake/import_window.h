#pragma once
// "取り込み": the rows of a CSV or tab-separated file (or of the clipboard)
// with what becomes of each in the year — 追加, 同じものがある, 上書き or
// エラー with its reason and line — and the totals to be added. Nothing
// changes until 取り込む, which applies every accepted row as one step of
// the undo history; キャンセル leaves the year as it was. The rows are
// checked again whenever the year changes while the window is open, and
// whenever the user says which field a column holds or whether the first
// line is a header.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <variant>
#include <vector>

#include "import/import_engine.h"
#include "import/text_decoding.h"
#include "widgets/child_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tamrel {

class DataSession;
class Messages;

// One line per row of the input: 行, 結果, 月, 日, 内容, 理由.
class ImportRowsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  void setPlan(const ImportPlan* plan);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const ImportPlan* plan_ = nullptr;
};

// The columns of the input across, and down: 見出し (the header's caption),
// 値の例 (the first row's value) and 取り込む項目, the field the column
// holds (an ImportField, -1 for 使わない), which the user may change.
class ImportColumnsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Row { kHeaderRow, kSampleRow, kFieldRow, kRows };
  using QAbstractTableModel::QAbstractTableModel;
  void setColumns(const QStringList& headers, const QStringList& samples,
                  const std::vector<int>& fields);
  const std::vector<int>& fields() const { return fields_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // What the user reads for a field, -1 being 使わない; the tickets and
  // daybets reports' captions, so a column named so maps to it by itself.
  static QString fieldCaption(int field);

 private:
  QStringList headers_;
  QStringList samples_;
  std::vector<int> fields_;
};

class ImportWindow : public ChildWindow {
  Q_OBJECT
 public:
  // `year` is the calendar year of the data folder (0 when unknown): rows
  // of another year are errors.
  ImportWindow(DataSession& session, Messages& messages, int year, QWidget* parent = nullptr);
  ~ImportWindow() override;

  // Reads a file's bytes (`source` names it in the caption); false after
  // telling the user why they were refused.
  bool showBytes(const QByteArray& bytes, const QString& source);
  // Reads text as pasted.
  bool showText(const QString& text, const QString& source);

  const ImportPlan& plan() const { return plan_; }
  const ImportRowsModel& model() const { return model_; }
  QTableView* rowsView() const { return rowsView_; }
  QCheckBox* addToDays() const { return addToDays_; }
  QComboBox* encodingChooser() const { return encodingChooser_; }
  QTableView* columnsView() const { return columnsView_; }
  const ImportColumnsModel& columnsModel() const { return columnsModel_; }
  QCheckBox* headerRow() const { return headerRow_; }
  // Why the columns as chosen read nothing; empty when they do.
  QLabel* columnsProblem() const { return columnsProblem_; }
  QPushButton* importButton() const { return importButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QLabel* summary() const { return summary_; }

  QSize sizeHint() const override { return {900, 560}; }

 protected:
  void showData() override { replan(); }

 private:
  void buildLayout();
  // Decodes the bytes as the chooser says and reads them; false after
  // telling why not.
  bool decode();
  // Takes the text, splits it into records and maps the columns by the
  // header; false after telling why the text cannot be read whatever the
  // mapping. The only place the text changes, so the records always lie in
  // the text they were read from.
  bool readRecords(std::string text, ImportLimits limits = {});
  // The columns with the fields given, and the rows planned by them.
  void showColumns(const std::vector<int>& fields);
  void fitColumnsHeight();
  // The columns as the user has them, or why they read nothing.
  std::variant<ColumnMap, QString> chosenMap() const;
  void replan();
  void showSummary();
  void importRows();

  DataSession& session_;
  Messages& messages_;
  int year_ = 0;
  QByteArray bytes_;
  bool fromText_ = false;
  std::string text_;  // never moved once read: records_ are places in it
  ImportRecords records_;
  ImportPlan plan_;
  ImportRowsModel model_;
  ImportColumnsModel columnsModel_;

  QLabel* source_ = nullptr;
  QComboBox* encodingChooser_ = nullptr;
  QTableView* columnsView_ = nullptr;
  QCheckBox* headerRow_ = nullptr;
  QLabel* columnsProblem_ = nullptr;
  QTableView* rowsView_ = nullptr;
  QLabel* summary_ = nullptr;
  QCheckBox* addToDays_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace tamrel
