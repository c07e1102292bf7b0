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

void showWithOk(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
  prepare(box);
  QPushButton* ok = box.addButton(QMessageBox::Ok);
  ok->setText(kOkText);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}

}  // namespace

void BoxMessages::error(const QString& text) {
  showWithOk(parent_, QMessageBox::Warning, kErrorTitle, text);
}

void BoxMessages::notice(const QString& text) {
  showWithOk(parent_, QMessageBox::Information, kConfirmTitle, text);
}

bool BoxMessages::ask(const QString& text) {
  QMessageBox box(QMessageBox::Question, kConfirmTitle, text, QMessageBox::NoButton, parent_);
  prepare(box);
  QPushButton* yes = box.addButton(QMessageBox::Yes);
  yes->setText(kYesText);
  QPushButton* no = box.addButton(QMessageBox::No);
  no->setText(kNoText);
  box.setDefaultButton(yes);
  // Escape and the close box answer いいえ: leaving a question unanswered
  // must never run the action it asks about.
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace tamrel
