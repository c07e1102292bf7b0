#pragma once
// Pictures of graphs: a context menu 画像保存… on a chart view writes a PNG
// of the chart at twice the size it shows, sharp enough for a document.

#include <QImage>

class QChartView;

namespace tamrel {

class DataSession;
class Messages;

// The chart as `view` shows it, drawn afresh at twice the size.
QImage chartImage(QChartView* view);

// Gives `view` the context menu 画像保存…; `name` is what the suggested
// file is called. Failures to save, and a file of `session`'s year chosen
// as the target, are told through `messages`.
void installImageExport(QChartView* view, const DataSession& session, Messages& messages,
                        const QString& name);

}  // namespace tamrel
