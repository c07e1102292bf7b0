#include <QtTest>

#include <string>
#include <vector>

#include "detail/month_transfer.h"
#include "support/record_text.h"

using namespace tamrel;
using testdata::bytes;

Q_DECLARE_METATYPE(tamrel::TransferResult)

namespace {

// A ticket of month m, day d; `serial` in the purchase field tells tickets apart.
TicketRecord ticket(int m, int d, int serial) {
  TicketRecord r = newTicket(m, d);
  setAmountField(r, TicketField::Purchase, serial);
  return r;
}

int serialOf(const TicketRecord& r) { return amountField(r, TicketField::Purchase).value_or(-1); }
int dayOf(const TicketRecord& r) {
  const auto d = r.field(TicketField::Day);
  return (d[0] - '0') * 10 + (d[1] - '0');
}

void fillMonth(TicketStore& store, int m, const std::vector<int>& days) {
  MonthTickets& mt = store.month(m);
  const int n = static_cast<int>(days.size());
  for (int i = 0; i < n; ++i) mt.slot(i) = ticket(m, days[static_cast<std::size_t>(i)], i);
  mt.count = static_cast<std::int16_t>(n);
  mt.slot(n).markBlank();
}

void fillList(DayTicketList& list, int m, int d, int entries, int firstSerial) {
  for (int i = 0; i < entries; ++i)
    list.entries[static_cast<std::size_t>(i)] = ticket(m, d, firstSerial + i);
  list.count = static_cast<std::int16_t>(entries);
}

std::vector<int> days(const MonthTickets& mt) {
  std::vector<int> out;
  for (int i = 0; i < mt.count; ++i) out.push_back(dayOf(mt.slot(i)));
  return out;
}

std::vector<int> serials(const MonthTickets& mt) {
  std::vector<int> out;
  for (int i = 0; i < mt.count; ++i) out.push_back(serialOf(mt.slot(i)));
  return out;
}

bool sameLive(const MonthTickets& a, const MonthTickets& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i <= a.count; ++i) {
    if (!(a.slot(i) == b.slot(i))) return false;
  }
  return true;
}

}  // namespace

class MonthTransferTest : public QObject {
  Q_OBJECT

 private slots:
  void dayMovesToTheEnd() {
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 6, {3, 10, 3, 17});
    DayTicketList list;
    fillList(list, 6, 3, 2, 100);
    QCOMPARE(storeDayTickets(store, 6, 3, list), TransferResult::Ok);
    QCOMPARE(days(store.month(6)), (std::vector<int>{10, 17, 3, 3}));
    QCOMPARE(serials(store.month(6)), (std::vector<int>{1, 3, 100, 101}));
    QVERIFY(store.month(6).slot(4).isBlank());
    for (int m = 1; m <= 12; ++m) {
      if (m != 6) QCOMPARE(store.month(m).count, std::int16_t{0});
    }
  }

  void blankEntriesAreDropped_data() {
    QTest::addColumn<QList<int>>("blanked");
    QTest::addColumn<QList<int>>("expectedSerials");
    QTest::newRow("none") << QList<int>{} << QList<int>{1, 3, 100, 101, 102};
    QTest::newRow("middle") << QList<int>{1} << QList<int>{1, 3, 100, 102};
    QTest::newRow("last") << QList<int>{2} << QList<int>{1, 3, 100, 101};
    QTest::newRow("all: the day is removed") << QList<int>{0, 1, 2} << QList<int>{1, 3};
  }
  void blankEntriesAreDropped() {
    QFETCH(QList<int>, blanked);
    QFETCH(QList<int>, expectedSerials);
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 2, {3, 10, 3, 17});
    DayTicketList list;
    fillList(list, 2, 3, 3, 100);
    for (int i : blanked) blankEntry(list.entries[static_cast<std::size_t>(i)]);
    QCOMPARE(storeDayTickets(store, 2, 3, list), TransferResult::Ok);
    const auto got = serials(store.month(2));
    QCOMPARE(QList<int>(got.begin(), got.end()), expectedSerials);
    QVERIFY(store.month(2).slot(store.month(2).count).isBlank());
  }

  void storeIntoMonthWithoutTheDayAppends() {
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 11, {1, 2});
    DayTicketList list;
    fillList(list, 11, 25, 2, 50);
    QCOMPARE(storeDayTickets(store, 11, 25, list), TransferResult::Ok);
    QCOMPARE(serials(store.month(11)), (std::vector<int>{0, 1, 50, 51}));
  }

  void storeTwiceEqualsOnce() {
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 9, {3, 10, 3, 17, 3, 28});
    DayTicketList list;
    fillList(list, 9, 3, 4, 100);
    blankEntry(list.entries[1]);
    QCOMPARE(storeDayTickets(store, 9, 3, list), TransferResult::Ok);
    const MonthTickets once = store.month(9);
    QCOMPARE(storeDayTickets(store, 9, 3, list), TransferResult::Ok);
    QVERIFY(sameLive(store.month(9), once));
    QCOMPARE(list.count, std::int16_t{4});  // the list stays as it was
  }

  void largeMonthKeepsOtherDaysInOrder() {
    TicketStore store;
    clearTickets(store);
    std::vector<int> d;
    for (int i = 0; i < 450; ++i) d.push_back(i % 3 == 0 ? 12 : 1 + (i % 28 == 11 ? 13 : i % 28));
    fillMonth(store, 4, d);
    int ofDay = 0;
    std::vector<int> othersBefore;
    for (std::size_t i = 0; i < d.size(); ++i) {
      if (d[i] == 12) {
        ++ofDay;
      } else {
        othersBefore.push_back(static_cast<int>(i));
      }
    }
    QCOMPARE(ofDay, 150);
    DayTicketList list;
    fillList(list, 4, 12, 10, 1000);
    QCOMPARE(storeDayTickets(store, 4, 12, list), TransferResult::Ok);
    const auto got = serials(store.month(4));
    QCOMPARE(got.size(), std::size_t{310});
    QCOMPARE(std::vector<int>(got.begin(), got.begin() + 300), othersBefore);
    for (int i = 0; i < 10; ++i) QCOMPARE(got[static_cast<std::size_t>(300 + i)], 1000 + i);
  }

  void monthLimit_data() {
    QTest::addColumn<int>("others");
    QTest::addColumn<int>("ofDay");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("blankEntries");
    QTest::addColumn<bool>("fits");
    QTest::newRow("exactly 499") << 489 << 0 << 10 << 0 << true;
    QTest::newRow("500 refused") << 490 << 0 << 10 << 0 << false;
    QTest::newRow("replacing the day frees room") << 480 << 19 << 19 << 0 << true;
    QTest::newRow("replacing, one too many") << 480 << 19 << 20 << 0 << false;
    QTest::newRow("blank entries take no room") << 489 << 0 << 12 << 2 << true;
    QTest::newRow("full month, day emptied") << 400 << 99 << 1 << 1 << true;
  }
  void monthLimit() {
    QFETCH(int, others);
    QFETCH(int, ofDay);
    QFETCH(int, entries);
    QFETCH(int, blankEntries);
    QFETCH(bool, fits);
    TicketStore store;
    clearTickets(store);
    std::vector<int> d;
    for (int i = 0; i < others + ofDay; ++i) d.push_back(i < ofDay ? 20 : 1 + i % 19);
    fillMonth(store, 10, d);
    DayTicketList list;
    fillList(list, 10, 20, entries, 5000);
    for (int i = 0; i < blankEntries; ++i) blankEntry(list.entries[static_cast<std::size_t>(i)]);
    const MonthTickets before = store.month(10);

    QCOMPARE(canStoreDayTickets(store, 10, 20, list), fits);
    const TransferResult result = storeDayTickets(store, 10, 20, list);
    QCOMPARE(result, fits ? TransferResult::Ok : TransferResult::MonthFull);
    const MonthTickets& after = store.month(10);
    if (fits) {
      QCOMPARE(int{after.count}, others + entries - blankEntries);
    } else {
      QVERIFY(sameLive(after, before));
    }
    QVERIFY(after.count <= kMaxMonthTickets);
    QVERIFY(after.slot(after.count).isBlank());
  }

  void loadTakesTheDayInSlotOrder() {
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 1, {3, 13, 30, 3, 31, 3});
    DayTicketList list;
    list.entries[5] = ticket(1, 9, 777);  // beyond what the day fills: untouched
    QCOMPARE(loadDayTickets(store, 1, 3, list), TransferResult::Ok);
    QCOMPARE(list.count, std::int16_t{3});
    QCOMPARE(serialOf(list.entries[0]), 0);
    QCOMPARE(serialOf(list.entries[1]), 3);
    QCOMPARE(serialOf(list.entries[2]), 5);
    QCOMPARE(serialOf(list.entries[5]), 777);
    QCOMPARE(bytes(list.entries[1].view()), bytes(store.month(1).slot(3).view()));
  }

  void loadDayWithoutRecordsIsEmpty() {
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 1, {3, 10});
    DayTicketList list;
    fillList(list, 1, 4, 5, 0);
    QCOMPARE(loadDayTickets(store, 1, 4, list), TransferResult::Ok);
    QCOMPARE(list.count, std::int16_t{0});
  }

  void loadLooksOnlyAtItsMonth() {
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 7, {8, 8});
    fillMonth(store, 8, {8});
    DayTicketList list;
    QCOMPARE(loadDayTickets(store, 8, 8, list), TransferResult::Ok);
    QCOMPARE(list.count, std::int16_t{1});
    QCOMPARE(bytes(list.entries[0].field(TicketField::Month)), QByteArray("08"));
  }

  void dayLimitOnLoad_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<TransferResult>("result");
    QTest::newRow("200") << 200 << TransferResult::Ok;
    QTest::newRow("201") << 201 << TransferResult::TooManyForDay;
    QTest::newRow("499") << 499 << TransferResult::TooManyForDay;
  }
  void dayLimitOnLoad() {
    QFETCH(int, records);
    QFETCH(TransferResult, result);
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 5, std::vector<int>(static_cast<std::size_t>(records), 5));
    DayTicketList list;
    fillList(list, 5, 6, 3, 900);
    const DayTicketList before = list;
    QCOMPARE(loadDayTickets(store, 5, 5, list), result);
    if (result == TransferResult::Ok) {
      QCOMPARE(int{list.count}, records);
      QCOMPARE(serialOf(list.entries[static_cast<std::size_t>(records - 1)]), records - 1);
    } else {
      QCOMPARE(list.count, before.count);
      QVERIFY(list.entries == before.entries);
    }
  }

  void dayLimitOnStore_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("blankEntries");
    QTest::addColumn<TransferResult>("result");
    QTest::newRow("200") << 200 << 0 << TransferResult::Ok;
    QTest::newRow("201") << 201 << 0 << TransferResult::TooManyForDay;
    QTest::newRow("201, one of them blank") << 201 << 1 << TransferResult::Ok;
  }
  void dayLimitOnStore() {
    QFETCH(int, entries);
    QFETCH(int, blankEntries);
    QFETCH(TransferResult, result);
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 6, {1, 2, 3});
    DayTicketList list;
    fillList(list, 6, 9, entries, 100);
    for (int i = 0; i < blankEntries; ++i) blankEntry(list.entries[static_cast<std::size_t>(i)]);
    const MonthTickets before = store.month(6);

    QCOMPARE(canStoreDayTickets(store, 6, 9, list), result == TransferResult::Ok);
    QCOMPARE(storeDayTickets(store, 6, 9, list), result);
    if (result != TransferResult::Ok) {
      QVERIFY(sameLive(store.month(6), before));
      return;
    }
    // What was stored can be opened for editing again.
    DayTicketList reloaded;
    QCOMPARE(loadDayTickets(store, 6, 9, reloaded), TransferResult::Ok);
    QCOMPARE(int{reloaded.count}, entries - blankEntries);
  }

  void loadThenStoreRestoresTheMonth() {
    TicketStore store;
    clearTickets(store);
    fillMonth(store, 3, {5, 6, 7});
    DayTicketList list;
    QCOMPARE(loadDayTickets(store, 3, 7, list), TransferResult::Ok);
    const MonthTickets before = store.month(3);
    QCOMPARE(storeDayTickets(store, 3, 7, list), TransferResult::Ok);
    QVERIFY(sameLive(store.month(3), before));
  }

  void invalidDate_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("month 0") << 0 << 1;
    QTest::newRow("month 13") << 13 << 1;
    QTest::newRow("day 0") << 1 << 0;
    QTest::newRow("day 32") << 1 << 32;
  }
  void invalidDate() {
    QFETCH(int, month);
    QFETCH(int, day);
    TicketStore store;
    clearTickets(store);
    DayTicketList list;
    fillList(list, 1, 1, 1, 0);
    QCOMPARE(loadDayTickets(store, month, day, list), TransferResult::InvalidDate);
    QCOMPARE(list.count, std::int16_t{1});
    QVERIFY(!canStoreDayTickets(store, month, day, list));
    QCOMPARE(storeDayTickets(store, month, day, list), TransferResult::InvalidDate);
  }
};

QTEST_APPLESS_MAIN(MonthTransferTest)
#include "test_month_transfer.moc"
