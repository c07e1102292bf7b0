#pragma once
// "予算": the punter's stake limits per 節, month and year and a 回収率
// target for the data directory in use; each may be left empty (no limit).

#include <QDialog>
#include <optional>

#include "analysis/budget.h"

class QLineEdit;

namespace tamrel {

class DataSession;
class Messages;

class BudgetDialog : public QDialog {
  Q_OBJECT
 public:
  BudgetDialog(const QString& dataDir, Messages& messages, QWidget* parent = nullptr);

  // Stores what the boxes hold and closes; refused (the user told why, the
  // dialog left open) when a box holds no amount the ledger can take.
  void accept() override;

 private:
  std::optional<BudgetLimits> typedLimits() const;

  const QString dataDir_;
  Messages& messages_;
  QLineEdit* setsu_ = nullptr;
  QLineEdit* month_ = nullptr;
  QLineEdit* year_ = nullptr;
  QLineEdit* rate_ = nullptr;
};

// Asks for the budget of the session's data directory; true when it was
// stored.
bool editBudget(QWidget* parent, const DataSession& session, Messages& messages);

}  // namespace tamrel
