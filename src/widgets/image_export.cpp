#include "widgets/image_export.h"

#include <QAction>
#include <QBuffer>
#include <QChartView>
#include <QPainter>

#include "state/data_session.h"
#include "widgets/export_file.h"
#include "widgets/messages.h"
#include "widgets/print_page.h"

namespace tamrel {

QImage chartImage(QChartView* view) {
  const QRect shown = view->viewport()->rect();
  QImage image(shown.size() * 2, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  // The scene is drawn again at the larger size, not the screen's pixels
  // blown up.
  static_cast<QGraphicsView*>(view)->render(&painter, QRectF(image.rect()), shown);
  return image;
}

QImage titledImage(const QImage& chart, const QString& title, const QString& period) {
  QFont font;
  // As large on the picture as on the screen, the picture being twice the size.
  font.setPointSizeF(font.pointSizeF() * 2);
  font.setBold(true);
  const QFontMetrics metrics(font);
  const int band = metrics.height() * 2;
  QImage image(chart.width(), chart.height() + band, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QString line = period.isEmpty() ? title : title + QStringLiteral("　") + period;
  painter.drawText(QRect(metrics.height(), 0, image.width() - 2 * metrics.height(), band),
                   Qt::AlignLeft | Qt::AlignVCenter, line);
  painter.drawImage(0, band, chart);
  return image;
}

void installImageExport(QChartView* view, const DataSession& session, Messages& messages,
                        const QString& name, std::function<QString()> period) {
  auto* save = new QAction(QStringLiteral("画像保存…"), view);
  save->setObjectName(QStringLiteral("SaveGraphImage"));
  QObject::connect(save, &QAction::triggered, view, [view, &session, &messages, name, period] {
    const SaveTarget target =
        askSaveTarget(view, QStringLiteral("画像保存"), {QStringLiteral("PNG画像 (*.png)")}, name,
                      QStringLiteral("png"));
    if (target.path.isEmpty()) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QImage image = titledImage(chartImage(view), name, period ? period() : QString());
    if (!image.save(&buffer, "PNG")) {
      messages.error(QStringLiteral("画像を作れませんでした"), target.path);
      return;
    }
    if (writeExport(messages, session.dataDirPath(), target.path, bytes)) {
      reportWritten(view, target.path);
    }
  });
  view->addAction(save);
  installPrintCommands(view, session, messages);
  view->setContextMenuPolicy(Qt::ActionsContextMenu);
}

}  // namespace tamrel
