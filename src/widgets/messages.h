#pragma once
// Modal messages. Every window asks and tells through this interface, so
// tests can script the answers and read back what was shown.

#include <QString>

class QWidget;

namespace tamrel {

inline const QString kErrorTitle = QStringLiteral("ｴﾗｰﾒｯｾｰｼﾞ");
inline const QString kConfirmTitle = QStringLiteral("確認ﾒｯｾｰｼﾞ");

// An amount, a sum or a posting left the range the ledger can hold.
inline const QString kAmountOutOfRange = QStringLiteral("金額が範囲を超えています");
// One dimension chosen for both the rows and the columns of a cross table.
inline const QString kSameDimensionTwice = QStringLiteral("行と列に同じ分類は選べません");

class Messages {
 public:
  virtual ~Messages() = default;
  // "ｴﾗｰﾒｯｾｰｼﾞ" with OK: refusals and errors. `detail`, when given, is the
  // box's informative text: which file, and why.
  virtual void error(const QString& text, const QString& detail = QString()) = 0;
  // "確認ﾒｯｾｰｼﾞ" with OK: notices.
  virtual void notice(const QString& text) = 0;
  // "確認ﾒｯｾｰｼﾞ" with はい/いいえ; true for はい. Enter answers はい unless
  // `defaultYes` is false (a question whose はい destroys data).
  virtual bool ask(const QString& text, bool defaultYes = true) = 0;
  // Information the user asked for (バージョン情報), under its own `title`,
  // with OK. Without a box of its own it is told as a notice.
  virtual void inform(const QString& title, const QString& text) {
    (void)title;
    notice(text);
  }
};

// The production implementation: application-modal QMessageBox with Japanese
// button texts.
class BoxMessages final : public Messages {
 public:
  explicit BoxMessages(QWidget* parent) : parent_(parent) {}
  void error(const QString& text, const QString& detail = QString()) override;
  void notice(const QString& text) override;
  bool ask(const QString& text, bool defaultYes = true) override;
  void inform(const QString& title, const QString& text) override;

 private:
  QWidget* parent_;
};

}  // namespace tamrel
