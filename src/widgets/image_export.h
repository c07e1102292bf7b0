#pragma once
// Pictures of graphs: a context menu 画像保存… on a chart view writes a PNG
// of the chart at twice the size it shows, sharp enough for a document.

#include <QImage>
#include <QString>
#include <functional>

class QChartView;

namespace tamrel {

class DataSession;
class Messages;

// The chart as `view` shows it, drawn afresh at twice the size.
QImage chartImage(QChartView* view);

// `chart` under a line that says what it shows: `title`, and `period`
// after it when there is one. A picture away from its window says no more.
QImage titledImage(const QImage& chart, const QString& title, const QString& period);

// Gives `view` the context menu 画像保存…; `name` is what the suggested
// file is called and the picture's title, `period` (when given) says which
// days it shows. Failures to save, and a file of `session`'s year chosen
// as the target, are told through `messages`; where the file went, in the
// status bar.
void installImageExport(QChartView* view, const DataSession& session, Messages& messages,
                        const QString& name, std::function<QString()> period = {});

}  // namespace tamrel
