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

void installImageExport(QChartView* view, const DataSession& session, Messages& messages,
                        const QString& name) {
  auto* save = new QAction(QStringLiteral("画像保存…"), view);
  save->setObjectName(QStringLiteral("SaveGraphImage"));
  QObject::connect(save, &QAction::triggered, view, [view, &session, &messages, name] {
    const SaveTarget target =
        askSaveTarget(view, QStringLiteral("画像保存"), {QStringLiteral("PNG画像 (*.png)")}, name,
                      QStringLiteral("png"));
    if (target.path.isEmpty()) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!chartImage(view).save(&buffer, "PNG")) {
      messages.error(QStringLiteral("画像を作れませんでした"), target.path);
      return;
    }
    writeExport(messages, session.dataDirPath(), target.path, bytes);
  });
  view->addAction(save);
  installPrintCommands(view, session, messages);
  view->setContextMenuPolicy(Qt::ActionsContextMenu);
}

}  // namespace tamrel
