#include "widgets/period_boxes.h"

#include <QComboBox>

namespace tamrel {

namespace {

struct BoxInfo {
  const char* name;
  const char* caption;
  int count;
  const char* unit;
};
constexpr std::array<BoxInfo, 4> kBoxes{{
    {"FromMonth", "開始月", 12, "月"},
    {"FromDay", "開始日", 31, "日"},
    {"ToMonth", "終了月", 12, "月"},
    {"ToDay", "終了日", 31, "日"},
}};

}  // namespace

Period PeriodBoxes::period() const {
  const auto at = [this](std::size_t i) { return boxes[i]->currentIndex() + 1; };
  return Period{at(0), at(1), at(2), at(3)};
}

PeriodBoxes makePeriodBoxes(QWidget* parent, const QString& prefix) {
  const Period whole;
  const std::array<int, 4> initial{whole.fromMonth, whole.fromDay, whole.toMonth, whole.toDay};
  PeriodBoxes made;
  for (std::size_t i = 0; i < kBoxes.size(); ++i) {
    auto* box = new QComboBox(parent);
    box->setObjectName(prefix + QString::fromLatin1(kBoxes[i].name));
    box->setAccessibleName(QString::fromUtf8(kBoxes[i].caption));
    for (int n = 1; n <= kBoxes[i].count; ++n) {
      box->addItem(QString::number(n) + QString::fromUtf8(kBoxes[i].unit));
    }
    box->setCurrentIndex(initial[i] - 1);
    made.boxes[i] = box;
  }
  return made;
}

}  // namespace tamrel
