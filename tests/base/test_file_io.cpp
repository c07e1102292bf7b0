// The one reader of the data files: whole files of any size and kind, and
// the split into lines both loaders rely on.

#include <sys/stat.h>
#include <QtTest>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "base/file_io.h"

using namespace tamrel;
namespace fs = std::filesystem;

namespace {

// Lines of different lengths, so that no buffer size lines up with them.
std::string manyLines(std::size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) {
    text += std::string(static_cast<std::size_t>(i % 300), static_cast<char>('A' + i % 26));
    text += i % 2 == 0 ? "\r\n" : "\n";
  }
  return text;
}

QStringList splitLines(const std::string& text) {
  QStringList lines;
  forEachLine(text, [&](std::string_view line) {
    lines.append(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    return true;
  });
  return lines;
}

}  // namespace

class TestFileIo : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void readsFilesOfEverySize_data();
  void readsFilesOfEverySize();
  void readsAFileWhoseSizeIsNotKnown();
  void missingFileAndDirectoryAreNotRead();
  void lines_data();
  void lines();
  void stopsWhenAskedTo();

 private:
  QTemporaryDir dir_;
};

void TestFileIo::init() { QVERIFY(dir_.isValid()); }

void TestFileIo::readsFilesOfEverySize_data() {
  QTest::addColumn<int>("size");
  QTest::newRow("empty") << 0;
  QTest::newRow("one byte") << 1;
  QTest::newRow("one line") << 60;
  QTest::newRow("the largest ticket file") << 311428;
  QTest::newRow("several megabytes") << 3 * 1024 * 1024;
}

void TestFileIo::readsFilesOfEverySize() {
  QFETCH(int, size);
  const std::string text = manyLines(static_cast<std::size_t>(size)).substr(0, size);
  const fs::path path = fs::path(dir_.path().toStdString()) / "data.dat";
  QFile file(QString::fromStdString(path.string()));
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(text.data(), static_cast<qint64>(text.size())),
           static_cast<qint64>(text.size()));
  file.close();

  const auto content = readWholeFile(path);
  QVERIFY(content.has_value());
  QVERIFY(content->complete);
  QCOMPARE(content->bytes().size(), text.size());
  QVERIFY(content->bytes() == text);
}

// A pipe has no size to go by: the buffer must grow as the bytes come.
void TestFileIo::readsAFileWhoseSizeIsNotKnown() {
  const std::string text = manyLines(200000);
  const fs::path path = fs::path(dir_.path().toStdString()) / "pipe";
  QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
  std::thread writer([&] {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
  });
  const auto content = readWholeFile(path);
  writer.join();
  QVERIFY(content.has_value());
  QVERIFY(content->complete);
  QCOMPARE(content->bytes().size(), text.size());
  QVERIFY(content->bytes() == text);
}

void TestFileIo::missingFileAndDirectoryAreNotRead() {
  const fs::path dir = dir_.path().toStdString();
  QVERIFY(!readWholeFile(dir / "missing.dat").has_value());
  // A directory opens, but its reads fail: nothing of it counts as read.
  const auto content = readWholeFile(dir);
  QVERIFY(content.has_value());
  QVERIFY(!content->complete);
  QCOMPARE(content->bytes().size(), std::size_t{0});
}

void TestFileIo::lines_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QStringList>("lines");
  QTest::newRow("nothing") << QByteArray() << QStringList{};
  QTest::newRow("CR LF") << QByteArray("ab\r\ncd\r\n") << QStringList{"ab", "cd"};
  QTest::newRow("LF") << QByteArray("ab\ncd\n") << QStringList{"ab", "cd"};
  QTest::newRow("no final line end") << QByteArray("ab\r\ncd") << QStringList{"ab", "cd"};
  QTest::newRow("CR at the very end stays")
      << QByteArray("ab\r\ncd\r") << QStringList{"ab", "cd\r"};
  QTest::newRow("CR inside a line stays") << QByteArray("a\rb\n") << QStringList{"a\rb"};
  QTest::newRow("empty lines") << QByteArray("\n\r\n\nx\n") << QStringList{"", "", "", "x"};
  QTest::newRow("only CR LF") << QByteArray("\r\n") << QStringList{""};
  QTest::newRow("NUL bytes are part of the line")
      << QByteArray("a\0\0\0\r\nb", 7) << QStringList{QString::fromLatin1("a\0\0\0", 4), "b"};
}

void TestFileIo::lines() {
  QFETCH(QByteArray, text);
  QFETCH(QStringList, lines);
  QCOMPARE(splitLines(text.toStdString()), lines);
}

void TestFileIo::stopsWhenAskedTo() {
  int seen = 0;
  forEachLine(std::string_view("a\nb\nc\n"), [&](std::string_view line) {
    ++seen;
    return line != "b";
  });
  QCOMPARE(seen, 2);
}

QTEST_GUILESS_MAIN(TestFileIo)
#include "test_file_io.moc"
