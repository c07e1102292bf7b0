#include "widgets/print_page.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAction>
#include <QBuffer>
#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsView>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "state/data_session.h"
#include "widgets/child_window.h"
#include "widgets/export_file.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

constexpr double kMarginMm = 12.0;
constexpr double kBodyPoints = 9.0;
// Below this a wide table is not shrunk further; its columns are cut.
constexpr double kSmallestPoints = 5.0;
constexpr double kTitlePoints = 16.0;
constexpr double kNotePoints = 8.0;

QFont pointFont(double points, bool bold = false) {
  QFont font = uiFont();
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// Figures line up on their last digit, as on the screen.
bool isFigure(const QString& text) {
  static const QRegularExpression figure(
      QStringLiteral("^[+-]?[0-9][0-9,]*(\\.[0-9]+)?(%|円|倍|日)?$"));
  const QString t = text.trimmed();
  return t == QStringLiteral("－") || figure.match(t).hasMatch();
}

int columnCount(const TableText& table) {
  qsizetype n = 0;
  for (const QStringList& row : table) n = std::max(n, row.size());
  return static_cast<int>(n);
}

// The widths the columns need whole in `font`, padding included.
std::vector<double> naturalWidths(const TableText& table, const QFont& font, QPaintDevice* device) {
  QFont bold = font;
  bold.setBold(true);
  const QFontMetricsF body(font, device);
  const QFontMetricsF head(bold, device);
  std::vector<double> widths(static_cast<std::size_t>(columnCount(table)), 0.0);
  for (qsizetype r = 0; r < table.size(); ++r) {
    const QFontMetricsF& fm = r == 0 ? head : body;
    for (qsizetype c = 0; c < table[r].size(); ++c) {
      const QString text = table[r][c].trimmed();
      auto& w = widths[static_cast<std::size_t>(c)];
      w = std::max(w, fm.horizontalAdvance(text) + fm.averageCharWidth() * 2);
    }
  }
  return widths;
}

double sum(const std::vector<double>& values) {
  double total = 0;
  for (double v : values) total += v;
  return total;
}

// Lays the page out from top to bottom; draws only when given a painter.
class PageWriter {
 public:
  PageWriter(QPagedPaintDevice& device, QPainter* painter, const PrintPage& page,
             const QString& dataDir, int total)
      : device_(device),
        painter_(painter),
        page_(page),
        dataDir_(dataDir),
        total_(total),
        width_(device.width()),
        note_(pointFont(kNotePoints)),
        noteMetrics_(note_, &device) {
    // The foot holds the page number; nothing is drawn into it.
    bottom_ = device.height() - noteMetrics_.height() * 2;
  }

  int run() {
    startPage();
    for (const TableText& table : page_.tables) {
      if (table.isEmpty()) continue;
      writeTable(table);
    }
    for (const QPointer<QWidget>& graph : page_.graphs) {
      if (graph) writeGraph(graph);
    }
    return pages_;
  }

 private:
  void startPage() {
    if (pages_ > 0 && painter_ != nullptr) device_.newPage();
    ++pages_;
    y_ = 0;
    if (pages_ == 1) {
      const QFont title = pointFont(kTitlePoints, true);
      const QFontMetricsF fm(title, &device_);
      text(title, QRectF(0, y_, width_, fm.height()), Qt::AlignLeft, page_.title);
      y_ += fm.height() * 1.2;
      text(note_, line(), Qt::AlignLeft, QStringLiteral("データ: ") + dataDir_);
      y_ += noteMetrics_.height();
      if (!page_.period.isEmpty()) {
        text(note_, line(), Qt::AlignLeft, QStringLiteral("期間: ") + page_.period);
        y_ += noteMetrics_.height();
      }
    } else {
      text(note_, line(), Qt::AlignLeft, page_.title + QStringLiteral("（続き）"));
      y_ += noteMetrics_.height();
    }
    if (painter_ != nullptr) {
      painter_->setPen(QPen(Qt::black, 0));
      painter_->drawLine(QPointF(0, y_ + 2), QPointF(width_, y_ + 2));
      text(note_, QRectF(0, bottom_ + noteMetrics_.height() * 0.5, width_, noteMetrics_.height()),
           Qt::AlignHCenter, QStringLiteral("%1 / %2").arg(pages_).arg(total_));
    }
    y_ += noteMetrics_.height();
  }

  QRectF line() const { return {0, y_, width_, noteMetrics_.height()}; }

  void text(const QFont& font, const QRectF& box, Qt::Alignment align, const QString& s) {
    if (painter_ == nullptr) return;
    painter_->setFont(font);
    painter_->setPen(Qt::black);
    painter_->drawText(box, (align | Qt::AlignVCenter).toInt(),
                       QFontMetricsF(font, &device_).elidedText(s, Qt::ElideRight, box.width()));
  }

  void writeTable(const TableText& table) {
    // A wide table is set smaller until it fits across the page, then its
    // columns give way.
    double points = kBodyPoints;
    std::vector<double> widths = naturalWidths(table, pointFont(points), &device_);
    const double natural = sum(widths);
    if (natural > width_) {
      points = std::max(kSmallestPoints, points * width_ / natural);
      widths = naturalWidths(table, pointFont(points), &device_);
      const double shrink = std::min(1.0, width_ / sum(widths));
      for (double& w : widths) w *= shrink;
    }
    const QFont body = pointFont(points);
    const QFont head = pointFont(points, true);
    const double rowHeight = QFontMetricsF(body, &device_).height() * 1.5;

    // The header row and one row at least go together.
    if (y_ + rowHeight * 2 > bottom_) startPage();
    writeRow(table[0], widths, head, rowHeight, true);
    for (qsizetype r = 1; r < table.size(); ++r) {
      if (y_ + rowHeight > bottom_) {
        startPage();
        writeRow(table[0], widths, head, rowHeight, true);
      }
      writeRow(table[r], widths, body, rowHeight, false);
    }
    y_ += rowHeight;  // room before what follows
  }

  void writeRow(const QStringList& row, const std::vector<double>& widths, const QFont& font,
                double height, bool header) {
    if (painter_ != nullptr) {
      double x = 0;
      const double pad = QFontMetricsF(font, &device_).averageCharWidth();
      for (std::size_t c = 0; c < widths.size(); ++c) {
        const QRectF cell(x, y_, widths[c], height);
        if (header) painter_->fillRect(cell, QColor(0xe8, 0xe8, 0xe8));
        painter_->setPen(QPen(QColor(0x80, 0x80, 0x80), 0));
        painter_->drawRect(cell);
        const auto i = static_cast<qsizetype>(c);
        const QString s = i < row.size() ? row[i].trimmed() : QString();
        const Qt::Alignment align = header                 ? Qt::AlignHCenter
                                    : c > 0 && isFigure(s) ? Qt::AlignRight
                                                           : Qt::AlignLeft;
        text(font, cell.adjusted(pad, 0, -pad, 0), align, s);
        x += widths[c];
      }
    }
    y_ += height;
  }

  void writeGraph(QWidget* graph) {
    const QSizeF shown = graph->size().isEmpty() ? QSizeF(720, 460) : QSizeF(graph->size());
    const double top = noteMetrics_.height() * 2;  // under a later page's head
    QSizeF size(width_, width_ * shown.height() / shown.width());
    if (size.height() > bottom_ - top) size.scale(width_, bottom_ - top, Qt::KeepAspectRatio);
    if (y_ + size.height() > bottom_) startPage();
    const QRectF target(QPointF(0, y_), size);
    if (painter_ != nullptr) {
      if (auto* view = qobject_cast<QGraphicsView*>(graph)) {
        // The scene again at the paper's size: lines and text stay sharp.
        painter_->setRenderHint(QPainter::Antialiasing);
        view->render(painter_, target, view->viewport()->rect());
      } else {
        painter_->save();
        painter_->translate(target.topLeft());
        painter_->scale(size.width() / shown.width(), size.height() / shown.height());
        graph->render(painter_, QPoint(), QRegion(), QWidget::DrawChildren);
        painter_->restore();
      }
    }
    y_ += size.height() + noteMetrics_.height();
  }

  QPagedPaintDevice& device_;
  QPainter* painter_;
  const PrintPage& page_;
  const QString& dataDir_;
  int total_;
  double width_;
  QFont note_;
  QFontMetricsF noteMetrics_;
  double bottom_ = 0;
  double y_ = 0;
  int pages_ = 0;
};

int drawOn(QPagedPaintDevice& device, QPainter* painter, const PrintPage& page,
           const QString& dataDir) {
  const int total = PageWriter(device, nullptr, page, dataDir, 0).run();
  if (painter == nullptr) return total;
  return PageWriter(device, painter, page, dataDir, total).run();
}

void prepare(QPagedPaintDevice& device, const PrintPage& page) {
  QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                     QPageLayout::Millimeter);
  device.setPageLayout(layout);
  // A table that reads whole only across the paper turns it.
  for (const TableText& table : page.tables) {
    if (sum(naturalWidths(table, pointFont(kBodyPoints), &device)) > device.width()) {
      layout.setOrientation(QPageLayout::Landscape);
      device.setPageLayout(layout);
      return;
    }
  }
}

// Qt's PDF writer names each glyph in the text layer by the first code
// point the font maps to it, which for many kanji is a radical of the same
// shape (U+2F49 ⽉ for 月, U+2FA6 ⾦ for 金): copied or searched, the text
// would not be the text. The names are four hex digits in the plain
// ToUnicode maps, so each is put right in place, lengths unchanged.
QByteArray kanjiNamedRight(QByteArray pdf) {
  static const QRegularExpression radical(QStringLiteral("<(2[EF][0-9A-F]{2})>"));
  qsizetype from = 0;
  for (;;) {
    const qsizetype begin = pdf.indexOf("begincmap", from);
    if (begin < 0) break;
    const qsizetype end = pdf.indexOf("endcmap", begin);
    if (end < 0) break;
    const QString map = QString::fromLatin1(pdf.mid(begin, end - begin));
    for (auto it = radical.globalMatch(map); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      const QString shape(QChar(static_cast<char16_t>(m.captured(1).toUShort(nullptr, 16))));
      const QString kanji = shape.normalized(QString::NormalizationForm_KC);
      if (kanji.size() != 1 || kanji == shape) continue;
      const QByteArray code =
          QByteArray::number(kanji.at(0).unicode(), 16).toUpper().rightJustified(4, '0');
      pdf.replace(begin + m.capturedStart(1), 4, code);
    }
    from = end;
  }
  return pdf;
}

// Keeps the print commands' visibility with the window: the menu is built
// from the widget's actions when it opens, so they are set just before.
class PrintCommandsWatch final : public QObject {
 public:
  PrintCommandsWatch(QWidget* widget, QList<QAction*> commands)
      : QObject(widget), widget_(widget), commands_(std::move(commands)) {}

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::ContextMenu) {
      const ChildWindow* window = windowOf(widget_);
      const bool prints = window != nullptr && window->printPage().has_value();
      for (QAction* command : commands_) command->setVisible(prints);
    }
    return false;
  }

 private:
  QWidget* widget_;
  QList<QAction*> commands_;
};

}  // namespace

PrintPage printPageOf(const QString& title, const QString& period,
                      const QList<const QAbstractItemView*>& views, const QList<QWidget*>& graphs) {
  PrintPage page{title, period, {}, {}};
  for (const QAbstractItemView* view : views) {
    if (view == nullptr) continue;
    // A list with nothing listed (its header alone) is left off the paper.
    TableText table = viewTable(view, false);
    if (table.size() > 1) page.tables << table;
  }
  for (QWidget* graph : graphs) page.graphs << graph;
  return page;
}

QString periodText(const Period& period) {
  const QString text = QStringLiteral("%1月%2日～%3月%4日")
                           .arg(period.fromMonth)
                           .arg(period.fromDay)
                           .arg(period.toMonth)
                           .arg(period.toDay);
  return period.wholeYear() ? text + QStringLiteral("（年間）") : text;
}

int drawPrintPage(QPrinter& printer, QPainter* painter, const PrintPage& page,
                  const QString& dataDir) {
  return drawOn(printer, painter, page, dataDir);
}

void preparePrinter(QPrinter& printer, const PrintPage& page) {
  prepare(printer, page);
  printer.setDocName(page.title);
  printer.setCreator(QStringLiteral("Tamrel"));
}

QByteArray printPdf(const PrintPage& page, const QString& dataDir) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setTitle(page.title);
    writer.setCreator(QStringLiteral("Tamrel"));
    prepare(writer, page);
    QPainter painter(&writer);
    drawOn(writer, &painter, page, dataDir);
  }
  return kanjiNamedRight(bytes);
}

void showPrintPreview(QWidget* parent, const PrintPage& page, const QString& dataDir) {
  QPrinter printer(QPrinter::HighResolution);
  preparePrinter(printer, page);
  QPrintPreviewDialog preview(&printer, parent);
  preview.setObjectName(QStringLiteral("PrintPreview"));
  preview.setWindowTitle(QStringLiteral("印刷プレビュー - ") + page.title);
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&page, &dataDir](QPrinter* target) {
                     QPainter painter(target);
                     drawPrintPage(*target, &painter, page, dataDir);
                   });
  preview.exec();
}

bool savePrintPdf(QWidget* parent, const DataSession& session, Messages& messages,
                  const PrintPage& page) {
  const SaveTarget target =
      askSaveTarget(parent, QStringLiteral("PDF保存"), {QStringLiteral("PDF (*.pdf)")}, page.title,
                    QStringLiteral("pdf"));
  if (target.path.isEmpty()) return false;
  return writeExport(messages, session.dataDirPath(), target.path,
                     printPdf(page, session.dataDirPath()));
}

ChildWindow* windowOf(QWidget* widget) {
  for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    if (auto* window = qobject_cast<ChildWindow*>(w)) return window;
  }
  return nullptr;
}

void installPrintCommands(QWidget* widget, const DataSession& session, Messages& messages) {
  auto* print = new QAction(QStringLiteral("印刷…"), widget);
  print->setObjectName(QStringLiteral("PrintView"));
  QObject::connect(print, &QAction::triggered, widget, [widget, &session] {
    const ChildWindow* window = windowOf(widget);
    if (window == nullptr) return;
    if (const std::optional<PrintPage> page = window->printPage()) {
      showPrintPreview(widget, *page, session.dataDirPath());
    }
  });
  auto* pdf = new QAction(QStringLiteral("PDF保存…"), widget);
  pdf->setObjectName(QStringLiteral("SaveViewPdf"));
  QObject::connect(pdf, &QAction::triggered, widget, [widget, &session, &messages] {
    const ChildWindow* window = windowOf(widget);
    if (window == nullptr) return;
    if (const std::optional<PrintPage> page = window->printPage()) {
      savePrintPdf(widget, session, messages, *page);
    }
  });
  auto* separator = new QAction(widget);
  separator->setSeparator(true);
  widget->addActions({separator, print, pdf});
  auto* watch = new PrintCommandsWatch(widget, {separator, print, pdf});
  widget->installEventFilter(watch);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
    area->viewport()->installEventFilter(watch);
  }
}

}  // namespace tamrel
