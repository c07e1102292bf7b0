#pragma once
// "取り込み": the rows of a CSV or tab-separated file (or of the clipboard)
// with what becomes of each in the year — 追加, 同じものがある, 上書き or
// エラー with its reason and line — and the totals to be added. Nothing
// changes until 取り込む, which applies every accepted row as one step of
// the undo history; キャンセル leaves the year as it was. The rows are
// checked again whenever the year changes while the window is open.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>

#include "import/import_engine.h"
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

class ImportWindow : public ChildWindow {
  Q_OBJECT
 public:
  // `year` is the calendar year of the data folder (0 when unknown): rows
  // of another year are errors.
  ImportWindow(DataSession& session, Messages& messages, int year, QWidget* parent = nullptr);
  ~ImportWindow() override;

  // The encodings the user can choose; 自動 detects.
  enum class Encoding { Auto, Utf8, ShiftJis };

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
  QPushButton* importButton() const { return importButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QLabel* summary() const { return summary_; }

  QSize sizeHint() const override { return {900, 560}; }

 protected:
  void showData() override { replan(); }

 private:
  void buildLayout();
  // Decodes the bytes as the chooser says and plans them; false after
  // telling why not.
  bool decode();
  void replan();
  void showSummary();
  void importRows();

  DataSession& session_;
  Messages& messages_;
  int year_ = 0;
  QByteArray bytes_;
  bool fromText_ = false;
  std::string text_;
  ImportPlan plan_;
  ImportRowsModel model_;

  QLabel* source_ = nullptr;
  QComboBox* encodingChooser_ = nullptr;
  QTableView* rowsView_ = nullptr;
  QLabel* summary_ = nullptr;
  QCheckBox* addToDays_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace tamrel
