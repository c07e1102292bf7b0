#include "widgets/messages.h"

#include <QMessageBox>
#include <QPushButton>

namespace tamrel {

namespace {

// Button texts are set on the buttons themselves so that the boxes read the
// same whatever translations are (or are not) installed.
const QString kOkText = QStringLiteral("OK");
const QString kYesText = QStringLiteral("はい");
const QString kNoText = QStringLiteral("いいえ");

void prepare(QMessageBox& box) {
  box.setWindowModality(Qt::ApplicationModal);
  box.setTextFormat(Qt::PlainText);
}

void showWithOk(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                const QString& detail = QString()) {
  QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
  prepare(box);
  if (!detail.isEmpty()) box.setInformativeText(detail);
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  ok->setText(kOkText);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}

}  // namespace

void BoxMessages::error(const QString& text, const QString& detail) {
  showWithOk(parent_, QMessageBox::Warning, kErrorTitle, text, detail);
}

void BoxMessages::notice(const QString& text) {
  showWithOk(parent_, QMessageBox::Information, kConfirmTitle, text);
}

void BoxMessages::inform(const QString& title, const QString& text) {
  showWithOk(parent_, QMessageBox::Information, title, text);
}

bool BoxMessages::ask(const QString& text, bool defaultYes) {
  QMessageBox box(QMessageBox::Question, kConfirmTitle, text, QMessageBox::NoButton, parent_);
  prepare(box);
  QPushButton* yes = box.addButton(QMessageBox::Yes);
  yes->setText(kYesText);
  QPushButton* no = box.addButton(QMessageBox::No);
  no->setText(kNoText);
  box.setDefaultButton(defaultYes ? yes : no);
  // Escape and the close box answer いいえ: leaving a question unanswered
  // must never run the action it asks about.
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace tamrel
