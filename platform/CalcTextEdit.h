// Line edits that hold calculator text: a program's name, a password, a
// command's characters, a folder label of the command tree, a screen copy's
// name. The edit shows the codes it is given in its font (CalcDisplayText),
// and they stay its codes where the user did not edit them: outside the
// calculator fonts codes that show alike (0x88 and 'P') would read back as
// one (CalcEditedCodes); what is typed is read with CalcCodesFromShownText.
// Its validator keeps every character to a code and the text to the edit's
// limit, which counts codes: a sign of two characters (x̄) counts once.
// Its clipboard speaks as the token editor's does: copy and cut give the
// text the calculator shows (CalcPlainText), paste takes text from other
// programs by the calculator's reading (SplitCalcPlainText), its characters
// going in as typing them into this edit gives. Drops and, where the system
// has one, the selection clipboard go the same way.
#pragma once

#include <QClipboard>
#include <QObject>
#include <QValidator>

#include <string>
#include <string_view>

class QFont;
class QLineEdit;

// Makes `edit` a calculator-text edit: the validator (CQXCalcTextValidator)
// and the handling of its clipboard keys, context menu, drops and selection.
// `maxCodes` (0 for none) is the most codes typing and pasting give it, in
// place of a limit of characters; what is pasted beyond is left out. A
// second call changes nothing.
void MakeCalcTextEdit(QLineEdit* edit, int maxCodes = 0);

// Shows `codes` in `edit`, in its font, as the codes it holds.
void SetCalcEditCodes(QLineEdit* edit, std::string_view codes);
// The codes `edit` holds: those SetCalcEditCodes gave it where the user did
// not edit them, what was typed as the edit reads it (CalcEditedCodesIn,
// platform/CalcShownText.h).
std::string GetCalcEditCodes(const QLineEdit* edit);

// The Edit commands of a calculator-text edit, for the pages whose Edit menu
// acts on one; the edit's own keys and context menu call the same.
void CalcEditCopy(QLineEdit* edit, QClipboard::Mode mode = QClipboard::Clipboard);
void CalcEditCut(QLineEdit* edit);
void CalcEditPaste(QLineEdit* edit, QClipboard::Mode mode = QClipboard::Clipboard);

// Text from other programs as the codes `edit` takes for it: the pieces of
// SplitCalcPlainText, a typed one as typing it into the edit gives
// (CalcCodesFromShownText in the edit's font); line breaks and characters without a
// code are left out (`complete`, optional, tells whether any was).
std::string CalcEditCodesOf(const QLineEdit* edit, const QString& text, bool* complete = nullptr);

// The validator of the edits that take calculator text: a character without
// a code in the edit's font (CalcCodesFromShownText) cannot be typed or
// pasted, nor more codes than the edit takes (CodeLimit), and the text is
// kept as the edit shows its codes (CalcDisplayText: θ typed into a
// calculator font goes to the code's place).
class CQXCalcTextValidator : public QValidator {
  Q_OBJECT

 public:
  // `edit` gives the font; it is also the validator's parent.
  explicit CQXCalcTextValidator(QWidget* edit);
  State validate(QString& input, int& pos) const override;

 private:
  QWidget* edit_;
};

class CQXCalcTextEditFilter : public QObject {
  Q_OBJECT

 public:
  CQXCalcTextEditFilter(QLineEdit* edit, int maxCodes);

  // The codes the edit was given (SetCalcEditCodes).
  const std::string& GivenCodes() const { return given_; }
  void SetGivenCodes(std::string_view codes) { given_ = codes; }
  // The most codes the edit takes, 0 for no limit; given codes beyond the
  // limit are its limit then, so that nothing of them is lost.
  int CodeLimit() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showContextMenu(const QPoint& global);
  void fixSelectionLater();

  QLineEdit* edit_;
  int maxCodes_;
  std::string given_;
};
