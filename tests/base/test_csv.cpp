#include <QtTest>

#include <string>
#include <vector>

#include "base/csv.h"

using namespace tamrel;

class TestCsv : public QObject {
  Q_OBJECT

 private slots:
  void record_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("record");
    QTest::newRow("plain fields stay bare") << QStringList{"月", "1500", ""} << "月,1500,\r\n";
    QTest::newRow("comma") << QStringList{"1,500"} << "\"1,500\"\r\n";
    QTest::newRow("quote doubled") << QStringList{"a\"b"} << "\"a\"\"b\"\r\n";
    QTest::newRow("line breaks") << QStringList{"a\r\nb", "c\nd"} << "\"a\r\nb\",\"c\nd\"\r\n";
    QTest::newRow("no field") << QStringList{} << "\r\n";
    // Text a spreadsheet would run as a formula opens as text; numbers stay
    // numbers.
    QTest::newRow("formulas") << QStringList{"=1+1", "+a", "-", "@SUM(A1)"}
                              << "\"'=1+1\",\"'+a\",\"'-\",\"'@SUM(A1)\"\r\n";
    QTest::newRow("formula quoted once") << QStringList{"=\"x\",1"} << "\"'=\"\"x\"\",1\"\r\n";
    QTest::newRow("signed numbers")
        << QStringList{"-1500", "+12.5%", "-0.5", "-1,500"} << "-1500,+12.5%,-0.5,\"-1,500\"\r\n";
    QTest::newRow("not numbers") << QStringList{"-1.2.3", "-,5"} << "\"'-1.2.3\",\"'-,5\"\r\n";
  }
  void record() {
    QFETCH(QStringList, fields);
    QFETCH(QString, record);
    std::vector<std::string> utf8;
    for (const QString& f : fields) utf8.push_back(f.toStdString());
    QCOMPARE(QString::fromStdString(csvRecord(utf8)), record);
  }
};

QTEST_APPLESS_MAIN(TestCsv)
#include "test_csv.moc"
