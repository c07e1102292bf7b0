#pragma once
// What the year, month and day browse windows have in common: the figures
// panel on top, the window's own middle part (a grid or a notice), and a
// bottom bar with the window's notes and its buttons, 最新表示 and 閉じる
// last. The windows follow the ledger: every change shows at once; 最新表示
// builds them again in place.

#include <QList>
#include <QString>

#include "analysis/browse_figures.h"
#include "widgets/child_window.h"

class QLabel;
class QMdiArea;
class QPushButton;

namespace tamrel {

class DataSession;
class FiguresPanel;
class Grid;
class Messages;
class ValueBox;

class BrowseWindow : public ChildWindow {
  Q_OBJECT
 public:
  // 最新表示: every figure again from the ledger as it is now; the window
  // stays where the user has it in the bookkeeping of open windows, and is
  // placed at the top-left corner of the work area.
  void refresh();

  // The panel and the grid on paper.
  std::optional<PrintPage> printPage() const override;

 protected:
  // The period the printed page names: the whole year unless a window
  // shows less.
  virtual Period printPeriod() const { return {}; }

  BrowseWindow(const DataSession& session, Messages& messages, const QString& name,
               const QString& caption, const QString& panelCaption, QWidget* parent);

  // Fills every figure; true when something could not be computed.
  virtual bool fillFigures() = 0;
  // A row of the grid was chosen (double-click or Enter); rows from 1.
  virtual void openRow(int /*row*/) {}

  // Builds the window: every figure, and one message if any of them left
  // the range.
  void build();
  // After a change of the ledger: every figure again, the message only when
  // a figure has newly left the range.
  void showData() override;

  // A grid of one fixed header row and column with the four figure columns,
  // rows labelled `rowLabels`; choosing a row calls openRow.
  Grid* makeGrid(const QStringList& rowLabels, const QString& accessibleName);
  void fillGrid(const GridFigures& figures);
  // Column widths in the proportions of their twips, the grid `width` wide.
  void fitGridTo(int width);

  // The month or day number box: white on black, read-only like the value
  // boxes.
  ValueBox* numberBox(const QString& name, const QString& accessibleName);
  QLabel* redLabel(const QString& text);
  QPushButton* makeButton(const QString& name, const QString& caption);

  // Lays the window out: panel, `middle`, then the bottom bar holding
  // `notes` left to right and `buttons` before 最新表示 and 閉じる.
  void arrange(QWidget* middle, const QList<QWidget*>& notes, const QList<QPushButton*>& buttons);

  // The open child window of the work area hosting this one with that
  // object name, or nullptr.
  ChildWindow* openWindow(const QString& name) const;
  // Opens `window` at the top-left corner of the work area hosting this one.
  void openBeside(ChildWindow* window) const;

  const DataSession& session_;
  Messages& messages_;
  FiguresPanel* panel_ = nullptr;
  Grid* grid_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QPushButton* close_ = nullptr;

 private:
  bool overflowing_ = false;
};

// Closes it if there is one (with its own closing rules).
void closeOpenWindow(const QMdiArea* area, const QString& name);

}  // namespace tamrel
