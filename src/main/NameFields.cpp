// The output name fields: refusing characters a file name cannot hold and control
// characters (a line break would split the log's record), trimming on
// exit, the other folder from the folder chooser, and the typing fields that switch
// the keyboard commands off while the caret is in them.
#include <algorithm>

#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "main/unit_main.h"
#include "main/unit_tools1.h"

namespace tacetix {

void TForm1::FilterNameField(QLineEdit* edit) {
  const QString text = edit->text();
  const QString clean = StripControlChars(StripInvalidChars(text));
  if (clean == text) return;
  // The caret goes back to the position it had after the change, so a refused character
  // typed mid-text leaves it one place further right; at the end it stays at the end.
  const int caret = edit->cursorPosition();
  edit->setText(clean);
  edit->setCursorPosition(std::min(caret, static_cast<int>(clean.size())));
}

void TForm1::edit_PrefixSuffixChange(QLineEdit* sender) {
  FilterNameField(sender == edit_Prefix ? edit_Prefix : edit_Suffix);
  UpdateControls();
}

void TForm1::edit_FolderSubfolderChange() {
  radio_FolderSubfolder->setChecked(true);
  FilterNameField(edit_FolderSubfolder);
  UpdateControls();
}

void TForm1::edit_FolderOtherChange() {
  radio_FolderOther->setChecked(true);
  UpdateControls();
}

void TForm1::bt_FolderOtherClick() {
  if (!bt_FolderOther->isEnabled()) return;
  QString path = edit_FolderOther->text();
  if (!ChooseOutputFolder(path)) return;
  if (path == edit_FolderOther->text()) {
    // The same folder chosen again raises no change, yet the user has chosen it.
    edit_FolderOtherChange();
  } else {
    edit_FolderOther->setText(path);
  }
}

namespace {

void ReplaceText(QLineEdit* edit, const QString& text) {
  if (text != edit->text()) edit->setText(text);
}

}  // namespace

void TForm1::edit_PrefixExit() {
  // Trailing blanks belong to the prefix: they part it from the name.
  ReplaceText(edit_Prefix, TrimLeadingControls(edit_Prefix->text()));
  KeyPreview = true;
}

void TForm1::edit_SuffixExit() {
  ReplaceText(edit_Suffix, TrimTrailingControls(edit_Suffix->text()));
  KeyPreview = true;
}

void TForm1::edit_FolderSubfolderExit(QLineEdit* sender) {
  ReplaceText(sender, TrimLeadingControls(TrimTrailingControls(sender->text())));
  KeyPreview = true;
}

void TForm1::enter_an_edit() { KeyPreview = false; }

void TForm1::TypingFieldFocus(QObject* watched, QEvent* event) {
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  // Another window taking the focus, or a context menu opening over the field, is no
  // exit: the caret comes back to the same field.
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  const OptionBinding* row = BindingOf(watched);
  if (row == nullptr || !TakesTyping(row->Control)) return;
  if (event->type() == QEvent::FocusIn) {
    enter_an_edit();
  } else if (watched == edit_Prefix) {
    edit_PrefixExit();
  } else if (watched == edit_Suffix) {
    edit_SuffixExit();
  } else if (watched == edit_FolderSubfolder || watched == edit_Logfile) {
    edit_FolderSubfolderExit(static_cast<QLineEdit*>(watched));
  } else {
    KeyPreview = true;
  }
}

void TForm1::ConnectNameFields() {
  connect(edit_Prefix, &QLineEdit::textChanged, this, [this] { edit_PrefixSuffixChange(edit_Prefix); });
  connect(edit_Suffix, &QLineEdit::textChanged, this, [this] { edit_PrefixSuffixChange(edit_Suffix); });
  connect(edit_FolderSubfolder, &QLineEdit::textChanged, this, [this] { edit_FolderSubfolderChange(); });
  connect(edit_FolderOther, &QLineEdit::textChanged, this, [this] { edit_FolderOtherChange(); });
  // The folder choice decides whether a subfolder named "." or ".." stops Process.
  connect(radio_FolderSubfolder, &QRadioButton::toggled, this, [this] { UpdateControls(); });
}

}  // namespace tacetix
