#pragma once
// Checks that a window shows every caption whole: each control at least as
// large as its own minimum, each control inside the frame it sits in, no two
// controls on top of each other. Returns one line per fault, so a test can
// print them all:
//
//   QCOMPARE(tamrel::testdata::layoutFaults(window), QStringList{});

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace tamrel::testdata {

inline QString describe(const QWidget* w) {
  QString text;
  if (const auto* b = qobject_cast<const QAbstractButton*>(w)) text = b->text();
  if (const auto* l = qobject_cast<const QLabel*>(w)) text = l->text();
  if (const auto* g = qobject_cast<const QGroupBox*>(w)) text = g->title();
  return QStringLiteral("%1 \"%2\" (%3)")
      .arg(w->objectName(), text, QString::fromLatin1(w->metaObject()->className()));
}

// A group box with nothing inside: a frame drawn behind other controls.
inline bool bareFrame(const QWidget* w) {
  return qobject_cast<const QGroupBox*>(w) != nullptr &&
         w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
}

inline bool checked(const QWidget* w) {
  return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w) ||
         qobject_cast<const QGroupBox*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QLineEdit*>(w);
}

inline QStringList layoutFaults(const QWidget* window) {
  QStringList faults;
  QList<const QWidget*> parents{window};
  for (const QWidget* w : window->findChildren<QWidget*>()) parents.append(w);
  for (const QWidget* parent : parents) {
    if (!parent->isVisible()) continue;
    QList<const QWidget*> children;
    for (const QWidget* c : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (c->isVisible() && !c->isWindow() && checked(c)) children.append(c);
    }
    // Inside the parent's frame (below a group box's caption).
    const QRect inside = parent->contentsRect();
    for (const QWidget* c : children) {
      if (!inside.contains(c->geometry())) {
        faults << describe(c) + QStringLiteral(" outside its frame ") + describe(parent);
      }
      // The room a control needs to show its caption or items whole; a
      // frame or a box needs its minimum (a frame: its caption).
      const auto* label = qobject_cast<const QLabel*>(c);
      const bool shrinks = qobject_cast<const QGroupBox*>(c) || qobject_cast<const QLineEdit*>(c) ||
                           (label != nullptr && label->wordWrap());
      const QSize least = shrinks ? c->minimumSizeHint() : c->sizeHint();
      if (c->width() < least.width() || c->height() < least.height()) {
        faults << describe(c) + QStringLiteral(" cut: %1x%2 < %3x%4")
                                    .arg(c->width())
                                    .arg(c->height())
                                    .arg(least.width())
                                    .arg(least.height());
      }
      if (label != nullptr && label->wordWrap() &&
          label->heightForWidth(label->width()) > label->height()) {
        faults << describe(c) + QStringLiteral(" wrapped text cut");
      }
    }
    for (qsizetype i = 0; i < children.size(); ++i) {
      for (qsizetype j = i + 1; j < children.size(); ++j) {
        const QWidget* a = children[i];
        const QWidget* b = children[j];
        if (bareFrame(a) || bareFrame(b)) continue;
        if (a->geometry().intersects(b->geometry())) {
          faults << describe(a) + QStringLiteral(" overlaps ") + describe(b);
        }
      }
    }
  }
  return faults;
}

}  // namespace tamrel::testdata
