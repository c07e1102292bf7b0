// The reader and the writer: files of every size, the split into lines both
// loaders rely on, and what users' disks hold: FIFOs, devices,
// huge sparse files, symbolic links, file-size limits, and the generations a
// save keeps.

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QtTest>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "detail/detail_file.h"
#include "ledger/ledger_file.h"
#include "support/child_process.h"
#include "support/odd_files.h"

using namespace tamrel;
using testsupport::listing;
using testsupport::makeOddFile;
using testsupport::readBytes;
using testsupport::runInChild;
using testsupport::writeBytes;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(tamrel::SaveResult)

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

std::vector<std::string> names(const fs::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

// While a ScarceMemory is in scope, every allocation larger than its bound
// fails with std::bad_alloc, as when memory runs out.
std::size_t allocationBound = std::numeric_limits<std::size_t>::max();

class ScarceMemory {
 public:
  explicit ScarceMemory(std::size_t bound) { allocationBound = bound; }
  ~ScarceMemory() { allocationBound = std::numeric_limits<std::size_t>::max(); }
  ScarceMemory(const ScarceMemory&) = delete;
  ScarceMemory& operator=(const ScarceMemory&) = delete;
};

// Lowers the file-size limit of the calling process (a child's) to `bytes`.
bool limitFileSize(rlim_t bytes) {
  rlimit r{};
  if (getrlimit(RLIMIT_FSIZE, &r) != 0) return false;
  r.rlim_cur = bytes;
  return setrlimit(RLIMIT_FSIZE, &r) == 0;
}

}  // namespace

// The program's allocations go through these, so ScarceMemory can refuse
// them; malloc and free underneath keep the sanitizers' books straight.
void* operator new(std::size_t size) {
  if (size > allocationBound) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// Arrays too: a sanitizer's own array new does not go through the one above.
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

class TestFileIo : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  fs::path dir() const { return fs::path(tmp_.path().toStdString()); }

 private slots:
  void init();
  void readsFilesOfEverySize_data();
  void readsFilesOfEverySize();
  void lines_data();
  void lines();
  void stopsWhenAskedTo();
  void hostileFilesAreUnreadable_data();
  void hostileFilesAreUnreadable();
  void fileAtTheBoundIsRead();
  void noMemoryIsUnreadableOrWriteError();
  void threeGenerationsKept();
  void failedSaveKeepsFileAndGenerations_data();
  void failedSaveKeepsFileAndGenerations();
  void fileSizeLimitFailsInsteadOfKilling();
  void symlinkedFileIsSavedThroughTheLink_data();
  void symlinkedFileIsSavedThroughTheLink();
  void nonFileTargetIsRefused_data();
  void nonFileTargetIsRefused();
  void breaksLine_data();
  void breaksLine();
};

void TestFileIo::init() {
  QVERIFY(tmp_.isValid());
  for (const auto& e : fs::directory_iterator(dir())) fs::remove_all(e.path());
}

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
  const fs::path path = dir() / "data.dat";
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

void TestFileIo::hostileFilesAreUnreadable_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("FIFO") << "fifo";
  QTest::newRow("link to a FIFO") << "link to fifo";
  QTest::newRow("sparse 5 GB file") << "sparse 5368709120";
  QTest::newRow("sparse 100 GB file") << "sparse 107374182400";
  QTest::newRow("one byte over the bound") << "sparse " + QString::number(kMaxDataFileBytes + 1);
  QTest::newRow("link to /dev/zero") << "link to /dev/zero";
  QTest::newRow("directory") << "directory";
}

void TestFileIo::hostileFilesAreUnreadable() {
  QFETCH(QString, kind);
  const fs::path data = dir() / "data";
  QVERIFY(makeOddFile(data, kind.toStdString()));

  // In a child: the old reader waited for ever on a FIFO and ended the
  // program with std::bad_alloc on the big ones.
  const auto r = runInChild(
      [&] {
        auto ledger = std::make_unique<YearLedger>();
        auto tickets = std::make_unique<TicketStore>();
        const bool ledgerRefused = loadLedger(*ledger, data) == LoadCode::Unreadable;
        const bool ticketsRefused = loadTickets(*tickets, data) == LoadCode::Unreadable;
        const bool readerRefused = !readWholeFile(data).has_value();
        return ledgerRefused && ticketsRefused && readerRefused ? 0 : 1;
      },
      std::chrono::seconds(20));
  QVERIFY2(r.exitedWith(0), r.describe().constData());
}

void TestFileIo::fileAtTheBoundIsRead() {
  const fs::path data = dir() / "data";
  QVERIFY(writeBytes(data, "00,00\r\n"));
  fs::resize_file(data, kMaxDataFileBytes);
  const auto file = readWholeFile(data);
  QVERIFY(file.has_value());
  QVERIFY(file->complete);
  QCOMPARE(file->bytes().size(), kMaxDataFileBytes);
  auto tickets = std::make_unique<TicketStore>();
  QCOMPARE(loadTickets(*tickets, data), LoadCode::Ok);
}

void TestFileIo::noMemoryIsUnreadableOrWriteError() {
  const fs::path data = dir() / "tosidata.dat";
  QVERIFY(writeBytes(data, "S00\r\n"));
  fs::resize_file(data, kMaxDataFileBytes - 1024);
  const std::string old = readBytes(data);
  auto ledger = std::make_unique<YearLedger>();
  auto tickets = std::make_unique<TicketStore>();
  auto manyTickets = std::make_unique<TicketStore>();
  for (MonthTickets& m : manyTickets->months) {
    for (int i = 0; i < 200; ++i) m.slot(i).text.fill('1');
    m.count = 200;
  }

  // Memory running out must read as an unreadable file and save as a write
  // error, never end the program with std::bad_alloc.
  std::optional<FileContent> read;
  LoadCode ledgerCode = LoadCode::Ok;
  LoadCode ticketCode = LoadCode::Ok;
  SaveResult ledgerSave = SaveResult::Ok;
  SaveResult ticketSave = SaveResult::Ok;
  {
    const ScarceMemory scarce(64 * 1024);
    read = readWholeFile(data);
    ledgerCode = loadLedger(*ledger, data);
    ticketCode = loadTickets(*tickets, data);
    ledgerSave = saveLedger(*ledger, data);
    ticketSave = saveTickets(*manyTickets, dir() / "info.dat");
  }
  QVERIFY(!read.has_value());
  QCOMPARE(ledgerCode, LoadCode::Unreadable);
  QCOMPARE(ticketCode, LoadCode::Unreadable);
  QCOMPARE(ledgerSave, SaveResult::NoMemory);
  QCOMPARE(ticketSave, SaveResult::NoMemory);
  QCOMPARE(names(dir()), std::vector<std::string>{"tosidata.dat"});
  QVERIFY(readBytes(data) == old);
}

void TestFileIo::threeGenerationsKept() {
  const fs::path file = dir() / "tosidata.dat";
  QCOMPARE(writeFileAtomically(file, "v1", kKeptGenerations), SaveResult::Ok);
  QCOMPARE(listing(dir()), std::vector<std::string>{"tosidata.dat = v1"});
  QCOMPARE(writeFileAtomically(file, "v2", kKeptGenerations), SaveResult::Ok);
  QCOMPARE(listing(dir()), (std::vector<std::string>{"tosidata.dat = v2", "tosidata.dat.1 = v1"}));
  QCOMPARE(writeFileAtomically(file, "v3", kKeptGenerations), SaveResult::Ok);
  QCOMPARE(writeFileAtomically(file, "v4", kKeptGenerations), SaveResult::Ok);
  const std::vector<std::string> three{"tosidata.dat = v4", "tosidata.dat.1 = v3",
                                       "tosidata.dat.2 = v2", "tosidata.dat.3 = v1"};
  QCOMPARE(listing(dir()), three);
  // The oldest is dropped, never a fourth kept.
  QCOMPARE(writeFileAtomically(file, "v5", kKeptGenerations), SaveResult::Ok);
  const std::vector<std::string> moved{"tosidata.dat = v5", "tosidata.dat.1 = v4",
                                       "tosidata.dat.2 = v3", "tosidata.dat.3 = v2"};
  QCOMPARE(listing(dir()), moved);

  // A gap in the generations is filled: nothing older than it is dropped.
  fs::remove(dir() / "tosidata.dat.2");
  QCOMPARE(writeFileAtomically(file, "v6", kKeptGenerations), SaveResult::Ok);
  const std::vector<std::string> gap{"tosidata.dat = v6", "tosidata.dat.1 = v5",
                                     "tosidata.dat.2 = v4", "tosidata.dat.3 = v2"};
  QCOMPARE(listing(dir()), gap);
}

void TestFileIo::failedSaveKeepsFileAndGenerations_data() {
  QTest::addColumn<QString>("fault");
  QTest::addColumn<SaveResult>("reason");
  QTest::newRow("file-size limit") << "limit" << SaveResult::TooLarge;
  QTest::newRow("a generation's name taken by a directory") << "directory" << SaveResult::NotAFile;
  QTest::newRow("read-only directory") << "read-only" << SaveResult::NoPermission;
  // The disk reports the new version lost: the save must not go on to put
  // it in the file's place.
  QTest::newRow("fsync of the new version fails") << "fsync" << SaveResult::WriteError;
  QTest::newRow("fsync of the copy fails") << "fsync copy" << SaveResult::WriteError;
}

void TestFileIo::failedSaveKeepsFileAndGenerations() {
  QFETCH(QString, fault);
  QFETCH(SaveResult, reason);
  const fs::path file = dir() / "info.dat";
  QVERIFY(writeBytes(file, "current"));
  QVERIFY(writeBytes(dir() / "info.dat.1", "one back"));
  QVERIFY(writeBytes(dir() / "info.dat.3", "three back"));
  const std::string big(8192, 'x');
  if (fault == "directory") fs::create_directory(dir() / "info.dat.2");
  const auto before = listing(dir());

  SaveResult result = SaveResult::Ok;
  if (fault == "limit") {
    const auto r = runInChild([&] {
      if (!limitFileSize(4096)) return 2;
      return writeFileAtomically(file, big, kKeptGenerations) == reason ? 0 : 1;
    });
    QVERIFY2(r.exitedWith(0), r.describe().constData());
    result = reason;
  } else if (fault == "directory") {
    result = writeFileAtomically(file, big, kKeptGenerations);
  } else if (fault.startsWith("fsync")) {
    SaveProbe probe;
    // Without links the version to keep is copied, so the copy's fsync runs.
    probe.refuseLinks = fault == "fsync copy";
    const std::string_view failing = probe.refuseLinks ? "fsync the copy" : "fsync the new version";
    probe.failure = [failing](std::string_view step) { return step == failing ? EIO : 0; };
    result = writeFileAtomically(file, big, kKeptGenerations, &probe);
  } else {
    if (geteuid() == 0) QSKIP("running as root: directory permissions do not stop root's writes");
    fs::permissions(dir(), fs::perms::owner_read | fs::perms::owner_exec);
    result = writeFileAtomically(file, big, kKeptGenerations);
    fs::permissions(dir(), fs::perms::owner_all);
  }
  QCOMPARE(result, reason);
  QCOMPARE(listing(dir()), before);
}

void TestFileIo::fileSizeLimitFailsInsteadOfKilling() {
  // The signal keeps its default action in the child, as in a program that
  // never heard of it: the old writer was ended by SIGXFSZ half-way through,
  // leaving its temporary behind.
  const fs::path file = dir() / "tosidata.dat";
  QVERIFY(writeBytes(file, "old"));
  const auto r = runInChild([&] {
    ::signal(SIGXFSZ, SIG_DFL);
    if (!limitFileSize(4096)) return 2;
    if (writeFileAtomically(file, std::string(10000, 'y')) != SaveResult::TooLarge) return 1;
    // Nothing left pending or blocked to strike later.
    sigset_t pending;
    sigset_t mask;
    sigpending(&pending);
    sigprocmask(SIG_BLOCK, nullptr, &mask);
    if (sigismember(&pending, SIGXFSZ) || sigismember(&mask, SIGXFSZ)) return 3;
    // A small save within the limit still works.
    return writeFileAtomically(file, "new") == SaveResult::Ok ? 0 : 4;
  });
  QVERIFY2(r.exitedWith(0), r.describe().constData());
  QCOMPARE(names(dir()), std::vector<std::string>{"tosidata.dat"});
  QCOMPARE(readBytes(file), std::string("new"));
}

void TestFileIo::symlinkedFileIsSavedThroughTheLink_data() {
  QTest::addColumn<QString>("link");  // what the data file links to
  QTest::addColumn<bool>("targetExists");
  QTest::newRow("relative link") << "../synced/ledger.txt" << true;
  QTest::newRow("absolute link") << "<abs>/synced/ledger.txt" << true;
  QTest::newRow("link to a link") << "../synced/via" << true;
  QTest::newRow("link to a file not yet made") << "../synced/ledger.txt" << false;
}

void TestFileIo::symlinkedFileIsSavedThroughTheLink() {
  QFETCH(QString, link);
  QFETCH(bool, targetExists);
  const fs::path data = dir() / "data";
  const fs::path synced = dir() / "synced";
  fs::create_directories(data);
  fs::create_directories(synced);
  const std::string linkText =
      link.replace("<abs>", QString::fromStdString(dir().string())).toStdString();
  fs::create_symlink(linkText, data / "tosidata.dat");
  fs::create_symlink("ledger.txt", synced / "via");
  if (targetExists) QVERIFY(writeBytes(synced / "ledger.txt", "old"));

  QCOMPARE(writeFileAtomically(data / "tosidata.dat", "new", kKeptGenerations), SaveResult::Ok);
  // The link is still the same link, and the file it points at was
  // replaced in its own directory, with its generation beside it.
  QCOMPARE(listing(data), std::vector<std::string>{"tosidata.dat -> " + linkText});
  std::vector<std::string> expected{"ledger.txt = new", "via -> ledger.txt"};
  if (targetExists) expected.insert(expected.begin() + 1, "ledger.txt.1 = old");
  QCOMPARE(listing(synced), expected);
  QCOMPARE(readBytes(data / "tosidata.dat"), std::string("new"));
}

void TestFileIo::nonFileTargetIsRefused_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<SaveResult>("reason");
  QTest::newRow("FIFO") << "fifo" << SaveResult::NotAFile;
  QTest::newRow("link to a FIFO") << "link to fifo" << SaveResult::NotAFile;
  QTest::newRow("directory") << "directory" << SaveResult::NotAFile;
  QTest::newRow("link to a directory") << "link to directory" << SaveResult::NotAFile;
  QTest::newRow("link into a missing folder") << "dangling link" << SaveResult::NoFolder;
  QTest::newRow("link loop") << "link loop" << SaveResult::NotAFile;
}

void TestFileIo::nonFileTargetIsRefused() {
  QFETCH(QString, kind);
  QFETCH(SaveResult, reason);
  const fs::path file = dir() / "tosidata.dat";
  QVERIFY(makeOddFile(file, kind.toStdString()));
  const auto before = listing(dir());
  QCOMPARE(writeFileAtomically(file, "new", kKeptGenerations), reason);
  QCOMPARE(listing(dir()), before);
}

void TestFileIo::breaksLine_data() {
  QTest::addColumn<QByteArray>("record");
  QTest::addColumn<bool>("breaks");
  QTest::newRow("plain") << QByteArray("S00,0000000000") << false;
  QTest::newRow("NUL") << QByteArray("01,02\0", 6) << false;
  QTest::newRow("CR") << QByteArray("01,\r02\r") << false;
  QTest::newRow("LF") << QByteArray("01,02\n") << true;
}

void TestFileIo::breaksLine() {
  QFETCH(QByteArray, record);
  QFETCH(bool, breaks);
  QCOMPARE(tamrel::breaksLine(std::string_view(record.data(), record.size())), breaks);
}

QTEST_APPLESS_MAIN(TestFileIo)
#include "test_file_io.moc"
