// The history of the data session against a plain replay: whatever the
// steps, undos and redos, the stores are what applying only the steps still
// in force to the starting data gives, byte for byte.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/amount.h"
#include "detail/month_transfer.h"
#include "state/data_session.h"
#include "store/data_files.h"
#include "support/session_access.h"

using namespace tamrel;
namespace fs = std::filesystem;

namespace {

enum class Kind { Post, PostWithTickets, Tickets, Reset };

struct Step {
  Kind kind = Kind::Post;
  int month = 1;
  int day = 1;
  BetAmounts amounts;
  DayTicketList tickets;
};

// The step as the plain functions do it; false when it cannot be done.
bool apply(AppState& state, const Step& step) {
  switch (step.kind) {
    case Kind::Reset:
      resetYear(state.ledger, state.tickets);
      state.YearReset = true;
      return true;
    case Kind::Tickets:
      return storeDayTickets(state.tickets, step.month, step.day, step.tickets) ==
             TransferResult::Ok;
    case Kind::Post:
    case Kind::PostWithTickets: {
      const bool withTickets = step.kind == Kind::PostWithTickets;
      if (withTickets && !canStoreDayTickets(state.tickets, step.month, step.day, step.tickets)) {
        return false;
      }
      std::optional<BetAmounts> baseline = betAmounts(daySlot(state.ledger, step.month, step.day));
      if (!baseline) return false;
      if (postDay(state.ledger, *baseline, step.month, step.day, step.amounts) != PostResult::Ok) {
        return false;
      }
      if (withTickets) (void)storeDayTickets(state.tickets, step.month, step.day, step.tickets);
      return true;
    }
  }
  return false;
}

QString stepText(const Step& step) {
  if (step.kind == Kind::Reset) return QStringLiteral("ﾃﾞｰﾀ初期化");
  return QString::fromStdString(fullWidthNumber(step.month)) + QStringLiteral("月") +
         QString::fromStdString(fullWidthNumber(step.day)) + QStringLiteral("日の") +
         (step.kind == Kind::Tickets ? QStringLiteral("馬券") : QStringLiteral("収支"));
}

// Byte for byte; `liveOnly` compares what a save writes (the slots past a
// month's end marker are never written).
bool sameStores(const AppState& a, const AppState& b, bool liveOnly = false) {
  const auto sameRecord = [](const LedgerRecord& x, const LedgerRecord& y) {
    return x.text == y.text;
  };
  if (!sameRecord(a.ledger.year, b.ledger.year)) return false;
  for (int m = 1; m <= 12; ++m) {
    if (!sameRecord(a.ledger.month(m), b.ledger.month(m))) return false;
  }
  for (std::size_t i = 0; i < kSlotsPerHalf; ++i) {
    if (!sameRecord(a.ledger.firstHalf[i], b.ledger.firstHalf[i]) ||
        !sameRecord(a.ledger.secondHalf[i], b.ledger.secondHalf[i])) {
      return false;
    }
  }
  if (a.tickets.header.text != b.tickets.header.text) return false;
  for (int m = 1; m <= 12; ++m) {
    const MonthTickets& x = a.tickets.month(m);
    const MonthTickets& y = b.tickets.month(m);
    if (x.count != y.count) return false;
    const int compared = liveOnly ? x.count : kMonthSlots;
    for (int i = 0; i < compared; ++i) {
      if (!(x.slot(i) == y.slot(i))) return false;
    }
  }
  return a.YearReset == b.YearReset || liveOnly;
}

std::string fileBytes(const fs::path& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : random_(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool chance(int percent) { return below(100) < percent; }

  BetAmounts amounts() {
    BetAmounts a;
    for (int t = 0; t < kBetTypeCount; ++t) {
      if (!chance(40)) continue;
      a.stake[static_cast<std::size_t>(t)] = 100 * below(500);
      a.payout[static_cast<std::size_t>(t)] = chance(30) ? 10 * below(20000) : 0;
    }
    // Now and then a day the ledger cannot hold: refused, nothing changes.
    if (chance(3)) a.stake[0] = 2'000'000'000;
    return a;
  }

  DayTicketList tickets(int month, int day) {
    DayTicketList list;
    // Mostly a few; sometimes more than a month has room left for.
    const int count = chance(5) ? 150 + below(51) : below(8);
    for (int i = 0; i < count; ++i) {
      TicketRecord t = newTicket(month, day);
      t.setField(TicketField::BetType, std::string(1, static_cast<char>('1' + below(7))));
      (void)setAmountField(t, TicketField::Purchase, 100 * below(100));
      (void)setAmountField(t, TicketField::Payout, chance(20) ? 10 * below(5000) : 0);
      // Deleted rows stay in the list as blank entries.
      if (chance(10)) blankEntry(t);
      list.entries[static_cast<std::size_t>(i)] = t;
    }
    list.count = static_cast<std::int16_t>(count);
    return list;
  }

  Step step() {
    Step s;
    const int k = below(100);
    s.kind = k < 2    ? Kind::Reset
             : k < 30 ? Kind::Tickets
             : k < 60 ? Kind::PostWithTickets
                      : Kind::Post;
    s.month = 1 + below(12);
    s.day = 1 + below(kSlotsPerMonth);
    if (s.kind != Kind::Reset) s.amounts = amounts();
    if (s.kind == Kind::Tickets || s.kind == Kind::PostWithTickets) {
      s.tickets = tickets(s.month, s.day);
    }
    return s;
  }

 private:
  std::mt19937 random_;
};

// A year of racing: about two days a week posted, with their tickets.
AppState fullYear(Generator& random) {
  AppState state;
  resetYear(state.ledger, state.tickets);
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= 28; ++d) {
      if (!random.chance(30)) continue;
      Step s;
      s.kind = Kind::PostWithTickets;
      s.month = m;
      s.day = d;
      s.amounts = random.amounts();
      s.amounts.stake[0] = 1000;
      s.tickets = random.tickets(m, d);
      s.tickets.count = std::min<std::int16_t>(s.tickets.count, 8);
      (void)apply(state, s);
    }
  }
  return state;
}

// Loads `session` from a fresh empty year saved in `dir`, as a start does.
bool loadFreshYear(DataSession& session, const QTemporaryDir& dir) {
  AppState start;
  resetYear(start.ledger, start.tickets);
  start.DataDirSwitched = true;
  start.DataDir = dir.path().toStdString();
  if (!saveData(start).ok()) return false;
  session.setDataDir(dir.path());
  return session.load().ok();
}

}  // namespace

class TestUndoHistory : public QObject {
  Q_OBJECT

 private slots:
  void historyMatchesReplayOfTheAppliedSteps_data();
  void historyMatchesReplayOfTheAppliedSteps();
  void savedPlaceIsTheCleanState();
  void savedResetCannotBeUndone();
};

void TestUndoHistory::historyMatchesReplayOfTheAppliedSteps_data() {
  QTest::addColumn<uint>("seed");
  QTest::addColumn<int>("steps");
  QTest::newRow("seed 1") << 1u << 2000;
  QTest::newRow("seed 20261207") << 20261207u << 2000;
}

void TestUndoHistory::historyMatchesReplayOfTheAppliedSteps() {
  QFETCH(uint, seed);
  QFETCH(int, steps);
  Generator random(seed);
  QTemporaryDir dir;
  QTemporaryDir replayDir;
  QVERIFY(dir.isValid() && replayDir.isValid());

  // The starting data comes from the files, as in the program.
  AppState start = fullYear(random);
  start.DataDirSwitched = true;
  start.DataDir = dir.path().toStdString();
  QVERIFY(saveData(start).ok());
  DataSession session;
  session.setDataDir(dir.path());
  QVERIFY(session.load().ok());
  AppState& live = DataSessionTestAccess::state(session);
  AppState fresh = live;
  QUndoStack& stack = *session.undoStack();
  QSignalSpy changed(&session, &DataSession::changed);

  // The model: every step on the stack, how many of them are applied, and
  // where the saved state is (-1: no longer reachable).
  std::vector<Step> pushed;
  int applied = 0;
  int saved = 0;
  // Replays of prefixes, so that an undo need not replay from the start.
  std::map<int, AppState> checkpoints{{0, fresh}};
  const auto replay = [&](int count, bool fromStart) {
    auto from = fromStart ? checkpoints.begin() : std::prev(checkpoints.upper_bound(count));
    AppState state = from->second;
    for (int i = from->first; i < count; ++i) {
      if (!apply(state, pushed[static_cast<std::size_t>(i)])) qFatal("an applied step failed");
      if ((i + 1) % 64 == 0) checkpoints.insert_or_assign(i + 1, state);
    }
    return state;
  };
  AppState expected = fresh;
  int counts[4] = {};

  for (int n = 0; n < steps; ++n) {
    const int what = random.below(100);
    const qsizetype announcedBefore = changed.count();
    bool stepped = false;
    if (what < 25 && applied > 0) {
      stack.undo();
      --applied;
      expected = replay(applied, false);
      stepped = true;
    } else if (what < 42 && applied < static_cast<int>(pushed.size())) {
      stack.redo();
      QVERIFY(apply(expected, pushed[static_cast<std::size_t>(applied)]));
      ++applied;
      stepped = true;
    } else if (what < 43) {
      // Saving writes what a replay writes; loading it back gives it again.
      QVERIFY(session.save().ok());
      AppState replayed = expected;
      replayed.DataDir = replayDir.path().toStdString();
      QVERIFY(saveData(replayed).ok());
      for (const std::string_view name : {kLedgerFileName, kTicketFileName}) {
        QVERIFY(fileBytes(fs::path(dir.path().toStdString()) / name) ==
                fileBytes(fs::path(replayDir.path().toStdString()) / name));
      }
      QVERIFY(!session.isModified());
      const bool resetApplied = std::any_of(pushed.begin(), pushed.begin() + applied,
                                            [](const Step& s) { return s.kind == Kind::Reset; });
      if (resetApplied) {
        // A saved reset is for good: the history starts again there.
        fresh = expected;
        pushed.clear();
        applied = 0;
        checkpoints = {{0, fresh}};
        QVERIFY(!stack.canUndo() && !stack.canRedo());
      }
      saved = applied;
      if (random.chance(30)) {
        QVERIFY(session.load().ok());
        QVERIFY(sameStores(live, expected, /*liveOnly=*/true));
        QVERIFY(!stack.canUndo() && !stack.canRedo());
        fresh = live;
        expected = live;
        pushed.clear();
        applied = 0;
        saved = 0;
        checkpoints = {{0, fresh}};
      }
    } else {
      const Step step = random.step();
      AppState attempt = expected;
      const bool possible = apply(attempt, step);
      bool done = false;
      switch (step.kind) {
        case Kind::Post:
          done = session.postDay(step.month, step.day, step.amounts) == PostResult::Ok;
          break;
        case Kind::PostWithTickets:
          done =
              session.postDay(step.month, step.day, step.amounts, &step.tickets) == PostResult::Ok;
          break;
        case Kind::Tickets:
          done = session.storeDayTickets(step.month, step.day, step.tickets) == TransferResult::Ok;
          break;
        case Kind::Reset:
          session.resetYear();
          done = true;
          break;
      }
      QCOMPARE(done, possible);
      if (done) {
        pushed.resize(static_cast<std::size_t>(applied));
        // Replays past the new step are no longer of this history.
        checkpoints.erase(checkpoints.upper_bound(applied), checkpoints.end());
        pushed.push_back(step);
        ++applied;
        if (saved >= applied) saved = -1;
        expected = attempt;
        ++counts[static_cast<int>(step.kind)];
      }
      stepped = done;
    }
    // Once per step, nothing for a refused one.
    QCOMPARE(static_cast<int>(changed.count() - announcedBefore), stepped ? 1 : 0);
    QCOMPARE(stack.index(), applied);
    QCOMPARE(stack.count(), static_cast<int>(pushed.size()));
    QCOMPARE(session.isModified(), applied != saved);
    if (applied > 0) {
      QCOMPARE(stack.undoText(), stepText(pushed[static_cast<std::size_t>(applied - 1)]));
    }
    if (!sameStores(live, expected)) QFAIL(qPrintable(QStringLiteral("differs at step %1").arg(n)));
    if (n % 100 == 0 && !sameStores(live, replay(applied, true))) {
      QFAIL(qPrintable(QStringLiteral("differs from a full replay at step %1").arg(n)));
    }
  }
  // The mix really happened.
  for (const int count : counts) QVERIFY(count > 0);
}

void TestUndoHistory::savedPlaceIsTheCleanState() {
  QTemporaryDir dir;
  DataSession session;
  QVERIFY(loadFreshYear(session, dir));
  QSignalSpy modified(&session, &DataSession::modifiedChanged);
  BetAmounts a;
  a.stake[0] = 1000;
  QCOMPARE(session.postDay(3, 5, a), PostResult::Ok);
  QVERIFY(session.save().ok());
  a.stake[0] = 3000;
  QCOMPARE(session.postDay(3, 5, a), PostResult::Ok);
  QVERIFY(session.isModified());
  session.undoStack()->undo();
  QVERIFY(!session.isModified());
  session.undoStack()->undo();
  QVERIFY(session.isModified());
  session.undoStack()->redo();
  QVERIFY(!session.isModified());
  // true, false, true, false, true, false
  QCOMPARE(modified.count(), 6);
  // A new step from before the saved place: the saved state is gone.
  session.undoStack()->undo();
  a.stake[0] = 7000;
  QCOMPARE(session.postDay(3, 6, a), PostResult::Ok);
  session.undoStack()->undo();
  QVERIFY(session.isModified());
}

void TestUndoHistory::savedResetCannotBeUndone() {
  QTemporaryDir dir;
  DataSession session;
  QVERIFY(loadFreshYear(session, dir));
  BetAmounts a;
  a.stake[0] = 1000;
  QCOMPARE(session.postDay(3, 5, a), PostResult::Ok);
  session.resetYear();
  QVERIFY(session.data().YearReset);
  session.undoStack()->undo();
  QVERIFY(!session.data().YearReset);
  QCOMPARE(betAmounts(daySlot(session.ledger(), 3, 5)), std::optional<BetAmounts>(a));
  session.undoStack()->redo();
  QVERIFY(session.save().ok());
  QVERIFY(!session.undoStack()->canUndo());
  QVERIFY(session.data().YearReset);
}

QTEST_MAIN(TestUndoHistory)
#include "test_undo_history.moc"
