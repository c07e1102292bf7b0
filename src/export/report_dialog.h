#pragma once
// "CSV書き出し": one of the year's reports (the same ones the report command
// writes) as a CSV file, from the figures in memory, unsaved postings
// included.

#include <QDialog>
#include <string>
#include <vector>

#include "report/report_kinds.h"
#include "widgets/period_boxes.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace tamrel {

class DataSession;
class Messages;

class ReportDialog : public QDialog {
  Q_OBJECT
 public:
  ReportDialog(const DataSession& session, Messages& messages, QWidget* parent = nullptr);

  // The chosen report over the data as it is now; nullopt (the user told
  // why) when the choice cannot be made.
  std::optional<Report> report() const;
  // The file name offered for it, e.g. "cross-bettype-racecourse".
  QString suggestedName() const;

 private:
  const ReportKindInfo& kind() const;
  void kindChosen();
  CrossDimension dimension(const QComboBox* list) const;

  const DataSession& session_;
  Messages& messages_;
  const std::vector<const ReportKindInfo*> kinds_;
  QComboBox* kind_ = nullptr;
  QComboBox* first_ = nullptr;
  QComboBox* second_ = nullptr;
  PeriodBoxes periodBoxes_;
};

// Asks for the report, then for the file and its encoding, and writes it.
void exportReport(QWidget* parent, const DataSession& session, Messages& messages);

}  // namespace tamrel
