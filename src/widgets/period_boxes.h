#pragma once
// The four lists by which a view limits its figures to a period: from month,
// from day, to month, to day, the whole year chosen at first. Named
// `prefix` + "FromMonth", "FromDay", "ToMonth", "ToDay".

#include <QString>
#include <array>

#include "base/period.h"

class QComboBox;
class QWidget;

namespace tamrel {

struct PeriodBoxes {
  std::array<QComboBox*, 4> boxes{};  // in the order of Period's fields

  Period period() const;
};

PeriodBoxes makePeriodBoxes(QWidget* parent, const QString& prefix = QString());

}  // namespace tamrel
