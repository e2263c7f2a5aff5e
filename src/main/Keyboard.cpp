// Keyboard commands: plain letters act like the underlined letters of the captions,
// but only on the page where the control is; digits switch pages; Escape cancels.
// The window sees every key before the focused control and never consumes it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>
#include <optional>

#include "main/HandlerGuard.h"
#include "main/unit_main.h"
#include "main/unit_tools1.h"

namespace tacetix {

namespace {

constexpr char16_t EscapeCode = 27;

void Toggle(QCheckBox* box) { box->setChecked(!box->isChecked()); }

// The character a key types, as the desktop's character message would carry it: Alt
// with a letter is an accelerator, not a character, and Ctrl with a letter types a
// control code, so Ctrl+A is not the A that adds files.
std::optional<QChar> TypedCharacter(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  const bool control = modifiers.testFlag(Qt::ControlModifier);
  if (modifiers.testFlag(Qt::AltModifier) && !control) return std::nullopt;
  if (event.key() == Qt::Key_Escape) return QChar(EscapeCode);
  const QString text = event.text();
  if (text.size() != 1) return std::nullopt;
  const QChar letter = UpperAscii(text[0]);
  if (control && letter >= QLatin1Char('A') && letter <= QLatin1Char('Z')) {
    return QChar(static_cast<char16_t>(letter.unicode() & 0x1F));
  }
  return text[0];
}

}  // namespace

bool TForm1::IsKeyTarget(QObject* watched) const {
  // A key travels from the focused control up to the window; it is looked at once, when
  // it reaches its first receiver in this window.
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != this) return false;
  const QWidget* focus = focusWidget();
  return focus != nullptr ? watched == focus : watched == this;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto& key = *static_cast<QKeyEvent*>(event);
      if (IsKeyTarget(watched)) {
        Guarded(this, QStringLiteral("Keyboard command"), [this, &key] {
          if (KeyPreview) PreviewKey(key);
          DefaultButtonKey(key);
        })();
      }
      // While busy the list's own select-all would hand a running delete rows the user
      // never chose; clicks may still select single rows.
      if (watched == lview_Files && Busy() && key.matches(QKeySequence::SelectAll)) return true;
      // The list's own copy takes the current cell only; the rows go whole, reason included.
      if (watched == lview_Files && key.matches(QKeySequence::Copy)) {
        CopySelectedRows();
        return true;
      }
      break;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: TypingFieldFocus(watched, event); break;
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::PreviewKey(const QKeyEvent& event) {
  FormKeyDown(event.key(), event.modifiers());
  if (const std::optional<QChar> character = TypedCharacter(event)) FormKeyPress(*character);
}

void TForm1::DefaultButtonKey(const QKeyEvent& event) {
  // bt_Process is the default button: Enter presses it unless a push button has the
  // focus, which Enter then presses. Qt does either only inside dialogs.
  if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) return;
  if (event.modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier)) return;
  if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
    // The default button presses itself on Enter.
    if (!button->isDefault() && !button->autoDefault()) button->click();
    return;
  }
  bt_ProcessClick();
}

void TForm1::FormKeyPress(QChar character) {
  const QChar key = UpperAscii(character);
  if (AllPagesKey(key)) return;
  switch (PageControl1->currentIndex()) {
    case 0: InputPageKey(key); break;
    case 1: ProcessingPageKey(key); break;
    case 2: OutputPageKey(key); break;
    default: ShowInternalError(QStringLiteral("Internal Error 1")); break;
  }
}

void TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (modifiers.testFlag(Qt::KeypadModifier) && key >= Qt::Key_1 && key <= Qt::Key_3) {
    ShowPage(key - Qt::Key_1);
    return;
  }
  const int page = PageControl1->currentIndex();
  if (page < 0 || page > 2) {
    ShowInternalError(QStringLiteral("Internal Error 2"));
    return;
  }
  if (page != 0) return;
  if (key == Qt::Key_Insert) {
    bt_AddClick();
  } else if (key == Qt::Key_Delete) {
    bt_DeleteClick();
  } else if (key == Qt::Key_A && modifiers.testFlag(Qt::ControlModifier)) {
    bt_AllClick();
  }
}

void TForm1::TakeFocusOffPage(int nextIndex) {
  // Qt hands the focus of a page that goes away to the first control of the new one,
  // on "Output" combo_Bits, which would switch the commands off and swallow the next
  // letters. The page control keeps it instead, as a page control does on the desktop.
  QWidget* page = PageControl1->currentWidget();
  if (nextIndex == PageControl1->currentIndex() || page == nullptr || !page->isAncestorOf(focusWidget())) return;
  PageControl1->tabBar()->setFocus(Qt::OtherFocusReason);
}

void TForm1::ShowPage(int index) {
  TakeFocusOffPage(index);
  PageControl1->setCurrentIndex(index);
}

void TForm1::ConnectPageSwitching() {
  connect(PageControl1->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) { TakeFocusOffPage(index); });
  // Any other way to a page (Ctrl+Tab, the wheel over the tabs) lets Qt carry the focus
  // onto the new page's first control; it goes back to the page control, as above.
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
    QWidget* page = PageControl1->currentWidget();
    if (page != nullptr && page->isAncestorOf(focusWidget())) PageControl1->tabBar()->setFocus(Qt::OtherFocusReason);
  });
}

bool TForm1::AllPagesKey(QChar character) {
  switch (character.unicode()) {
    case EscapeCode: bt_CancelClick(); return true;
    case u'1':
    case u'2':
    case u'3': ShowPage(character.unicode() - u'1'); return true;
    case u'B': bt_AboutClick(); return true;
    case u'P': bt_ProcessClick(); return true;
    default: return false;
  }
}

bool TForm1::InputPageKey(QChar character) {
  switch (character.unicode()) {
    case u'A': bt_AddClick(); return true;
    case u'D': bt_DeleteClick(); return true;
    case u'O': bt_AddFolderClick(); return true;
    case u'L': bt_AllClick(); return true;
    case u'N': bt_NoneClick(); return true;
    case u'R': bt_ReverseClick(); return true;
    case u'S': bt_ResetClick(); return true;
    case u'V': bt_PreviewClick(); return true;
    default: return false;
  }
}

bool TForm1::ProcessingPageKey(QChar character) {
  switch (character.unicode()) {
    case u'E':
      if (cbx_Remove2->isEnabled()) Toggle(cbx_Remove2);
      return true;
    case u'H':
      if (lab_Threshold2->isEnabled()) track_Threshold2->setFocus(Qt::ShortcutFocusReason);
      return true;
    case u'L': Toggle(cbx_Link); return true;
    case u'N': Toggle(cbx_Normalize); return true;
    case u'R': Toggle(cbx_Remove1); return true;
    case u'T':
      if (lab_Threshold1->isEnabled()) track_Threshold1->setFocus(Qt::ShortcutFocusReason);
      return true;
    default: return false;
  }
}

bool TForm1::OutputPageKey(QChar character) {
  switch (character.unicode()) {
    case u'.': bt_FolderOtherClick(); return true;
    case u'A':
      if (radio_BitsAll->isEnabled()) radio_BitsAll->setChecked(true);
      return true;
    case u'C': Toggle(cbx_NoChange); return true;
    case u'D': combo_Bits->setFocus(Qt::ShortcutFocusReason); return true;
    case u'E': Toggle(cbx_StopOnError); return true;
    case u'F': edit_FolderSubfolder->setFocus(Qt::ShortcutFocusReason); return true;
    case u'L': Toggle(cbx_Logfile); return true;
    case u'M': Toggle(cbx_KeepMetadata); return true;
    case u'O': bt_LogOptionsClick(); return true;
    case u'R': edit_Prefix->setFocus(Qt::ShortcutFocusReason); return true;
    case u'S': Toggle(cbx_Simulation); return true;
    case u'U': edit_Suffix->setFocus(Qt::ShortcutFocusReason); return true;
    case u'W': bt_LogBrowseClick(); return true;
    case u'X': Toggle(cbx_Overwrite); return true;
    default: return false;
  }
}

}  // namespace tacetix
