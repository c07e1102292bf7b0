#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "detail/detail_file.h"
#include "report/report_command.h"
#include "support/permissions_bind.h"

using namespace tamrel;
namespace fs = std::filesystem;

namespace {

const fs::path kHandYear = TAMREL_HAND_YEAR_DIR;

ReportRun run(const QStringList& args) {
  std::vector<std::string> owned;
  for (const QString& a : args) owned.push_back(a.toStdString());
  const std::vector<std::string_view> views(owned.begin(), owned.end());
  return runReport(views);
}

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The hand-made year into `dir` with January's three tickets 150 times
// over: a tickets report of several parts.
void copyLongYear(const fs::path& dir) {
  fs::copy(kHandYear, dir);
  std::string tickets = fileText(dir / "info.dat");
  const std::size_t january = tickets.find("\n01,") + 1;
  const std::size_t length = tickets.find("\n02,") + 1 - january;
  std::string copies;
  for (int i = 0; i < 150; ++i) copies += tickets.substr(january, length);
  writeText(dir / "info.dat", tickets.replace(january, length, copies));
}

}  // namespace

class TestReportCommand : public QObject {
  Q_OBJECT

 private slots:
  // Every refusal: the status, a message naming what was wrong (and the
  // usage or the file), and nothing on stdout.
  void refused_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("said");

    const QString usage = QStringLiteral("使い方: tamrel-report");
    QTest::newRow("unknown kind") << "hand" << QStringList{"month"} << 2
                                  << QStringList{"知らない種類です: month", usage};
    QTest::newRow("unknown dimension") << "hand" << QStringList{"category:track"} << 2
                                       << QStringList{"知らない分類です: track", usage};
    QTest::newRow("empty dimension")
        << "hand" << QStringList{"cross:race:"} << 2 << QStringList{"知らない分類です: ", usage};
    QTest::newRow("one dimension of two")
        << "hand" << QStringList{"cross:race"} << 2 << QStringList{"分類の数が違います", usage};
    QTest::newRow("dimension of months")
        << "hand" << QStringList{"months:race"} << 2 << QStringList{"分類の数が違います", usage};
    QTest::newRow("benchmark with two dimensions")
        << "hand" << QStringList{"benchmark:age:race"} << 2
        << QStringList{"分類の数が違います: benchmark:age:race", usage};
    QTest::newRow("benchmark with an empty dimension")
        << "hand" << QStringList{"benchmark:"} << 2 << QStringList{"知らない分類です: ", usage};
    QTest::newRow("dimension of income") << "hand" << QStringList{"income:age"} << 2
                                         << QStringList{"分類の数が違います: income:age", usage};
    QTest::newRow("one dimension twice") << "hand" << QStringList{"cross:age:age"} << 2
                                         << QStringList{"同じ分類は交差できません", usage};
    QTest::newRow("no kind") << "hand" << QStringList{"--from", "1/1"} << 2
                             << QStringList{"種類がありません", usage};
    QTest::newRow("two kinds") << "hand" << QStringList{"months", "tickets"} << 2
                               << QStringList{"種類は一つだけ", usage};
    QTest::newRow("unknown option") << "hand" << QStringList{"--form", "1/1", "tickets"} << 2
                                    << QStringList{"知らないオプションです: --form", usage};
    QTest::newRow("--dir without a folder")
        << "hand" << QStringList{"months", "--dir"} << 2 << QStringList{"--dir", usage};
    QTest::newRow("--from after --to")
        << "hand" << QStringList{"--from", "4/2", "--to", "4/1", "tickets"} << 2
        << QStringList{"--from が --to より後です", usage};
    QTest::newRow("month 13") << "hand" << QStringList{"--to", "13/1", "tickets"} << 2
                              << QStringList{"--to は 月/日", usage};
    QTest::newRow("day 32") << "hand" << QStringList{"--from=1/32", "tickets"} << 2
                            << QStringList{"--from は 月/日", usage};
    QTest::newRow("day 0") << "hand" << QStringList{"--from", "1/0", "tickets"} << 2
                           << QStringList{"--from は 月/日", usage};
    QTest::newRow("not a date") << "hand" << QStringList{"--from", "1-5", "tickets"} << 2
                                << QStringList{"--from は 月/日", usage};
    QTest::newRow("period with months") << "hand" << QStringList{"--to", "6/30", "months"} << 2
                                        << QStringList{"months には使えません", usage};
    QTest::newRow("period with bettypes") << "hand" << QStringList{"--from", "6/1", "bettypes"} << 2
                                          << QStringList{"bettypes には使えません", usage};
    // A usage error is found before any file is read.
    QTest::newRow("usage before load")
        << "missing" << QStringList{"nonsense"} << 2 << QStringList{"知らない種類です"};
    QTest::newRow("missing folder")
        << "missing" << QStringList{"months"} << 3
        << QStringList{"データファイルが存在しません: DIR/tosidata.dat: ファイルがありません",
                       "データファイルが存在しません: DIR/info.dat: ファイルがありません"};
    QTest::newRow("damaged ledger")
        << "damaged" << QStringList{"tickets"} << 3
        << QStringList{
               "データファイルが破損しています月ﾚｺｰﾄﾞ: DIR/tosidata.dat: "
               "月の行が1行です"};
    QTest::newRow("years of no folder")
        << "missing" << QStringList{"years"} << 3 << QStringList{"フォルダがありません: DIR"};
    // Not an empty report, which would read as a parent without years.
    QTest::newRow("years of a folder that cannot be listed")
        << "closed" << QStringList{"years"} << 3
        << QStringList{"フォルダを読み取れません: DIR: 読み取れません（権限がありません）"};
    QTest::newRow("period with years") << "hand" << QStringList{"--from", "1/1", "years"} << 2
                                       << QStringList{"years には使えません", usage};
    // An option said twice is a fault of the script, not a choice of the
    // last (the harness gives --dir once).
    QTest::newRow("--dir twice") << "hand" << QStringList{"--dir=.", "months"} << 2
                                 << QStringList{"--dir は一度だけ指定します", usage};
    QTest::newRow("--from twice") << "hand" << QStringList{"--from", "1/1", "--from=2/1", "tickets"}
                                  << 2 << QStringList{"--from は一度だけ指定します", usage};
    QTest::newRow("--to twice") << "hand" << QStringList{"--to=3/1", "--to", "3/1", "tickets"} << 2
                                << QStringList{"--to は一度だけ指定します", usage};
    // The limits of budget: whole yen, not below 0, for budget alone.
    QTest::newRow("limit of another kind") << "hand" << QStringList{"--limit-month=1000", "months"}
                                           << 2 << QStringList{"budget にだけ使えます", usage};
    QTest::newRow("negative limit") << "hand" << QStringList{"--limit-setsu", "-1", "budget"} << 2
                                    << QStringList{"--limit-setsu は 0 以上の金額", usage};
    QTest::newRow("limit with a fraction")
        << "hand" << QStringList{"--limit-year=10.5", "budget"} << 2
        << QStringList{"--limit-year は 0 以上の金額", usage};
    QTest::newRow("limit beyond the range")
        << "hand" << QStringList{"--limit-month=2147483648", "budget"} << 2
        << QStringList{"--limit-month は 0 以上の金額", usage};
    QTest::newRow("limit twice") << "hand"
                                 << QStringList{"--limit-month=1", "--limit-month=2", "budget"} << 2
                                 << QStringList{"--limit-month は一度だけ指定します", usage};
    QTest::newRow("year 0") << "hand" << QStringList{"--year=0", "budget"} << 2
                            << QStringList{"--year は西暦で指定します", usage};
    QTest::newRow("period with budget") << "hand" << QStringList{"--from", "1/1", "budget"} << 2
                                        << QStringList{"budget には使えません", usage};
    QTest::newRow("unknown --where value")
        << "hand" << QStringList{"--where", "racecourse=中山,大井", "tickets"} << 2
        << QStringList{"知らない値です: racecourse=大井", "5 中山", "B その他"};
    QTest::newRow("--where of an unknown key")
        << "hand" << QStringList{"--where=track=芝", "tickets"} << 2
        << QStringList{"--where は 分類=値[,値] で指定します: track=芝"};
    QTest::newRow("--where without a value")
        << "hand" << QStringList{"--where", "surface=", "tickets"} << 2
        << QStringList{"知らない値です: surface="};
    QTest::newRow("--where with months") << "hand" << QStringList{"--where", "surface=芝", "months"}
                                         << 2 << QStringList{"--where は tickets にだけ使えます"};
    QTest::newRow("ticket file a folder")
        << "folder" << QStringList{"months"} << 3
        << QStringList{"DIR/info.dat: 通常のファイルではありません"};
  }
  void refused() {
    QFETCH(QString, setup);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QStringList, said);
    QTemporaryDir temp;
    const fs::path dir = fs::path(temp.path().toStdString()) / "year";
    if (setup != "missing") {
      fs::create_directory(dir);
      fs::copy(kHandYear, dir);
    }
    if (setup == "damaged") {
      // The year line and January only.
      const std::string ledger = fileText(dir / "tosidata.dat");
      writeText(dir / "tosidata.dat", ledger.substr(0, ledger.find("M02")));
    }
    if (setup == "folder") {
      fs::remove(dir / "info.dat");
      fs::create_directory(dir / "info.dat");
    }
    if (setup == "closed") fs::permissions(dir, fs::perms::none);
    ReportRun result;
    {
      testsupport::PermissionsBind bind;
      QVERIFY(bind.binds());
      result = run(QStringList{"--dir", QString::fromStdString(dir.string())} + args);
    }
    if (setup == "closed") fs::permissions(dir, fs::perms::owner_all);
    QCOMPARE(result.status, status);
    QVERIFY(result.out.empty());
    const QString err = QString::fromStdString(result.err);
    for (QString text : said) {
      text.replace("DIR", QString::fromStdString(dir.string()));
      QVERIFY2(err.contains(text), qPrintable(err));
    }
  }

  // --where keeps the tickets with any of a dimension's values, and of
  // every dimension given; captions in either width and file codes alike.
  void whereNarrowsTickets_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("tickets");
    QTest::addColumn<QString>("first");
    QTest::newRow("caption and code")
        << QStringList{"--where", "racecourse=中山,6"} << 5 << "1,5,中山,";
    QTest::newRow("two dimensions")
        << QStringList{"--where", "racecourse=中山,6", "--where=bettype=ワイド"} << 1
        << "12,28,中山,";
    QTest::newRow("with a period")
        << QStringList{"--from", "2/1", "--where", "racecourse=中山"} << 2 << "12,28,中山,";
    QTest::newRow("code of the file") << QStringList{"--where", "surface=2"} << 4 << "1,6,東京,";
    QTest::newRow("one value twice")
        << QStringList{"--where", "condition=ﾊﾝﾃﾞ,2"} << 2 << "3,31,小倉,";
  }
  void whereNarrowsTickets() {
    QFETCH(QStringList, args);
    QFETCH(int, tickets);
    QFETCH(QString, first);
    const ReportRun result = run(QStringList{"--dir", QString::fromStdString(kHandYear.string())} +
                                 args + QStringList{"tickets"});
    QCOMPARE(result.status, 0);
    const QStringList lines = QString::fromStdString(result.out).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), tickets + 1);
    QVERIFY2(lines[1].startsWith(first), qPrintable(lines[1]));
  }

  // A period without racing gives the header alone, as a success.
  void periodWithoutRacing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("header");
    QTest::newRow("days") << "days"
                          << "月,日,投資金額,";
    QTest::newRow("tickets") << "tickets"
                             << "月,日,場名,";
    QTest::newRow("cross") << "cross:race:bettype"
                           << "レース,券種,投資金額,";
  }
  void periodWithoutRacing() {
    QFETCH(QString, kind);
    QFETCH(QString, header);
    const ReportRun result = run({"--dir", QString::fromStdString(kHandYear.string()), "--from",
                                  "5/1", "--to", "12/27", kind});
    QCOMPARE(result.status, 0);
    QVERIFY(result.err.empty());
    const QString out = QString::fromStdString(result.out);
    QCOMPARE(out.count("\r\n"), 1);
    QVERIFY2(out.startsWith(header), qPrintable(out));
  }

  // A figure outside the 32-bit range is left empty, and the run says so
  // with a status of its own rather than pass for a whole report.
  void overflowIsNoSuccess() {
    QTemporaryDir temp;
    const fs::path dir = temp.path().toStdString();
    fs::copy(kHandYear, dir);
    std::string ledger = fileText(dir / "tosidata.dat");
    // January's stored stake total (the fifth group's first field).
    const std::size_t january = ledger.find("M01,") + 4 + 12 * 11;
    ledger.replace(january, 10, "9999999999");
    writeText(dir / "tosidata.dat", ledger);
    const ReportRun result = run({"--dir", QString::fromStdString(dir.string()), "months"});
    QCOMPARE(result.status, 4);
    QVERIFY(result.out.find("\r\n1,,14990,,\r\n") != std::string::npos);
    QCOMPARE(QString::fromStdString(result.err), QStringLiteral("金額が範囲を超えています\n"));
  }

  // An output that refuses a part (a full disk) stops the report there, with
  // the status of a report not written; a long report comes in several parts.
  void refusedPartStopsTheReport() {
    QTemporaryDir temp;
    const fs::path dir = temp.path().toStdString();
    copyLongYear(dir);
    const std::string path = dir.string();
    const std::vector<std::string_view> args{"--dir", path, "tickets"};
    std::vector<std::string> parts;
    const ReportRun refused = runReport(args, [&parts](std::string_view part) {
      parts.emplace_back(part);
      return parts.size() < 2;
    });
    QCOMPARE(refused.status, kReportOutputFailed);
    QCOMPARE(parts.size(), 2u);
    const ReportRun whole = runReport(args);
    QCOMPARE(whole.status, 0);
    QVERIFY(whole.out.size() > parts[0].size() + parts[1].size());
    QVERIFY(whole.out.starts_with(parts[0] + parts[1]));
  }

  // A later part taken does not make up for an earlier one refused: the
  // tickets report stops at the refusal, and the run says it failed.
  void refusedPartThenAcceptedOnes() {
    QTemporaryDir temp;
    const fs::path dir = temp.path().toStdString();
    copyLongYear(dir);
    const auto store = std::make_unique<TicketStore>();
    QVERIFY(loadTicketFile(*store, dir / "info.dat").ok());

    int offered = 0;
    const auto refuseFirst = [&offered](std::string_view) { return ++offered > 1; };
    QVERIFY(!writeTicketsReport(*store, Period{}, refuseFirst));
    QCOMPARE(offered, 1);
    for (const std::string_view kind : {"tickets", "months"}) {
      offered = 0;
      const std::string path = dir.string();
      const std::vector<std::string_view> args{"--dir", path, kind};
      QCOMPARE(runReport(args, refuseFirst).status, kReportOutputFailed);
    }
  }

  // A year folder whose two files are both refused is still one row, with
  // both reasons in it.
  void yearWithBothFilesRefusedIsOneRow() {
    QTemporaryDir temp;
    const fs::path parent = temp.path().toStdString();
    fs::create_directories(parent / "2024" / "tosidata.dat");
    fs::create_directories(parent / "2024" / "info.dat");
    fs::create_directory(parent / "2025");
    fs::copy(kHandYear, parent / "2025");
    const ReportRun result = run({"--dir", QString::fromStdString(parent.string()), "years"});
    const QStringList lines = QString::fromStdString(result.out).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 2 + 1);  // the header, two years and 合計
    QVERIFY2(lines[1].startsWith("2024 (") && lines[1].contains("tosidata.dat") &&
                 lines[1].contains("info.dat"),
             qPrintable(lines[1]));
  }

  // Help is help wherever it stands, beside errors too.
  void help_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("alone") << QStringList{"--help"};
    QTest::newRow("after a kind") << QStringList{"months", "--help"};
    QTest::newRow("-h before an unknown kind") << QStringList{"-h", "nonsense"};
    QTest::newRow("beside a repeated option") << QStringList{"--to=1/1", "--to=1/2", "--help"};
  }
  void help() {
    QFETCH(QStringList, args);
    const ReportRun result = run(args);
    QCOMPARE(result.status, 0);
    QVERIFY(result.out.starts_with("使い方: tamrel-report"));
    QVERIFY(result.err.empty());
  }

  // The version as the title shows it; anything after it is a usage error.
  void version() {
    const ReportRun result = run({"--version"});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out, std::string("tamrel-report (Tamrel Ver2.03)\n"));
    QVERIFY(result.err.empty());
    QCOMPARE(run({"--version", "bettypes"}).status, kReportUsage);
  }

  // A refused argument is quoted in its first 60 characters, whole ones.
  void longArgumentCut_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("refused");
    const QString kana(100'000, QChar(0x3042));  // あ, three bytes each
    const QString option = QStringLiteral("--") + QString(100'000, QLatin1Char('x'));
    QTest::newRow("option") << QStringList{option, "months"} << option;
    QTest::newRow("kind") << QStringList{kana} << kana;
    QTest::newRow("dimension") << QStringList{"category:" + kana} << kana;
  }
  void longArgumentCut() {
    QFETCH(QStringList, args);
    QFETCH(QString, refused);
    const ReportRun result = run(args);
    QCOMPARE(result.status, 2);
    const QString err = QString::fromStdString(result.err);
    QVERIFY2(err.contains(refused.left(60) + QStringLiteral("…\n")), qPrintable(err.left(200)));
    QVERIFY(!err.contains(refused.left(61)));
  }
};

QTEST_APPLESS_MAIN(TestReportCommand)
#include "test_report_command.moc"
