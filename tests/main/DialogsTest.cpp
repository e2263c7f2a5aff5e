// The log options dialog and the About window, driven headless by object name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <tuple>
#include <vector>

#include "main/unit_About.h"
#include "main/unit_LogOptions.h"

namespace {

using tacetix::LogSettings;

class LogOptionsDialogTest : public ::testing::Test {
 protected:
  template <class T>
  T* Get(const char* name) {
    T* widget = Dialog.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr) ADD_FAILURE() << "no widget " << name;
    return widget;
  }
  // The ticked boxes and selected buttons, in tab order, as one comparable text.
  QString Selected() {
    QStringList names;
    for (const QAbstractButton* button : Dialog.findChildren<QAbstractButton*>())
      if (button->isChecked()) names << button->objectName();
    return names.join(QLatin1Char(' '));
  }
  bool OkEnabled() { return Get<QPushButton>("bt_OK")->isEnabled(); }
  int Tag(const char* name) { return Get<QWidget>(name)->property("Tag").toInt(); }
  QLineEdit* UserField() { return Get<QLineEdit>("edit_sepafield_user"); }
  void Type(const QString& text) { QTest::keyClicks(UserField(), text); }
  // QTest::keyClicks knows Latin-1 keys only, so other characters go in as raw key events.
  void TypeCharacter(const QString& character) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
    QApplication::sendEvent(UserField(), &press);
  }

  void Click(const char* name) {
    auto* button = Get<QAbstractButton>(name);
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle::SubElement indicator = qobject_cast<QRadioButton*>(button) ? QStyle::SE_RadioButtonIndicator
                                                                             : QStyle::SE_CheckBoxIndicator;
    QTest::mouseClick(button, Qt::LeftButton, {}, button->style()->subElementRect(indicator, &option, button).center());
  }
  void ShowWith(const LogSettings& settings) {
    Dialog.LoadFrom(settings);
    Dialog.show();
  }
  // Runs the modal dialog with the given actions; a stray dialog is closed after 10 s.
  bool Run(LogSettings& settings, const std::function<void()>& actions) {
    QTimer::singleShot(0, &Dialog, actions);
    QTimer::singleShot(10000, &Dialog, [this] { Dialog.reject(); });
    return RunLogOptions(Dialog, settings);
  }

  Tfrm_LogOptions Dialog;
};

bool SameSettings(const LogSettings& a, const LogSettings& b) {
  return std::tie(a.PathInfile, a.PathOutfile, a.ProcInfOnly, a.SepaDeci, a.SepaField) ==
         std::tie(b.PathInfile, b.PathOutfile, b.ProcInfOnly, b.SepaDeci, b.SepaField);
}

TEST_F(LogOptionsDialogTest, FirstShowingPresentsTheDefaults) {
  ShowWith(LogSettings{});
  EXPECT_EQ(Selected(), QStringLiteral("cbx_infile cbx_outfile rb_sepadeci_dot rb_sepafield_semi"));
  EXPECT_EQ(Tag("gbox_deci"), 46);
  EXPECT_EQ(Tag("gbox_field"), 59);
  EXPECT_TRUE(UserField()->text().isEmpty());
  EXPECT_TRUE(OkEnabled());
  EXPECT_EQ(Dialog.focusWidget(), Get<QPushButton>("bt_OK"));
}

TEST_F(LogOptionsDialogTest, OkRefusesEqualSeparators) {
  ShowWith(LogSettings{true, true, false, ',', ';'});
  EXPECT_TRUE(OkEnabled());
  Click("rb_sepafield_comma");
  EXPECT_FALSE(OkEnabled());
  Click("rb_sepadeci_dot");
  EXPECT_TRUE(OkEnabled());
  Click("rb_sepadeci_comma");
  EXPECT_FALSE(OkEnabled());
  Click("rb_sepafield_tab");
  EXPECT_TRUE(OkEnabled());

  // Showing loaded settings that clash must not leave OK enabled from the last showing.
  Dialog.hide();
  ShowWith(LogSettings{true, true, false, ',', ','});
  EXPECT_FALSE(OkEnabled());
}

TEST_F(LogOptionsDialogTest, UserDefinedNeedsADistinctCharacter) {
  ShowWith(LogSettings{});
  Type(".");
  EXPECT_EQ(Selected(), QStringLiteral("cbx_infile cbx_outfile rb_sepadeci_dot rb_sepafield_user"))
      << "typing selects User defined";
  EXPECT_FALSE(OkEnabled()) << "a point while Dot is chosen";
  QTest::keyClick(UserField(), Qt::Key_Backspace);
  EXPECT_EQ(Tag("gbox_field"), 0);
  EXPECT_FALSE(OkEnabled()) << "User defined with an empty field";
  Type(";x");
  EXPECT_EQ(UserField()->text(), QStringLiteral(";"));
  EXPECT_EQ(Tag("rb_sepafield_user"), 59);
  EXPECT_EQ(Tag("gbox_field"), 59);
  EXPECT_TRUE(OkEnabled());
}

TEST_F(LogOptionsDialogTest, UserFieldTakesSingleByteCharactersOnly) {
  ShowWith(LogSettings{});
  Click("rb_sepafield_user");
  TypeCharacter(QStringLiteral("\u20AC"));
  EXPECT_TRUE(UserField()->text().isEmpty());
  EXPECT_FALSE(OkEnabled());
  TypeCharacter(QStringLiteral("\""));
  EXPECT_TRUE(UserField()->text().isEmpty());
  EXPECT_FALSE(OkEnabled());
  TypeCharacter(QStringLiteral("\u00E9"));
  LogSettings settings;
  Dialog.SaveTo(settings);
  EXPECT_EQ(static_cast<unsigned char>(settings.SepaField), 0xE9);
}

// A separator the unquoted numbers hold ("-3.521476", "inf") would split their columns.
TEST_F(LogOptionsDialogTest, UserFieldRefusesWhatTheNumbersHold) {
  ShowWith(LogSettings{true, true, false, ',', ';'});
  Click("rb_sepafield_user");
  for (const char* c : {"-", "+", "7", "x", "E", "."}) {
    TypeCharacter(QString::fromLatin1(c));
    EXPECT_TRUE(UserField()->text().isEmpty()) << c;
    EXPECT_FALSE(OkEnabled()) << c;
  }
  TypeCharacter(QStringLiteral(","));
  EXPECT_EQ(UserField()->text(), QStringLiteral(",")) << "the decimal comma: choosing Dot mends it";
  EXPECT_FALSE(OkEnabled());
  Click("rb_sepadeci_dot");
  EXPECT_TRUE(OkEnabled());

  Dialog.hide();
  ShowWith(LogSettings{true, true, false, '.', 'x'});
  EXPECT_FALSE(OkEnabled()) << "a letter loaded from the settings";
}

TEST_F(LogOptionsDialogTest, LoadAndSaveRoundTrip) {
  const char fields[] = {',', ';', '\t', ' ', '|', '\xE9'};
  const char* buttons[] = {"rb_sepafield_comma", "rb_sepafield_semi", "rb_sepafield_tab",
                           "rb_sepafield_user",  "rb_sepafield_user", "rb_sepafield_user"};
  for (size_t i = 0; i < std::size(fields); ++i) {
    const LogSettings loaded{i % 2 == 0, i % 3 == 0, i % 2 == 1, i % 2 == 0 ? ',' : '.', fields[i]};
    Dialog.LoadFrom(loaded);
    EXPECT_TRUE(Get<QRadioButton>(buttons[i])->isChecked()) << "field code " << int(fields[i]);
    LogSettings saved{!loaded.PathInfile, !loaded.PathOutfile, !loaded.ProcInfOnly, '?', '?'};
    Dialog.SaveTo(saved);
    EXPECT_TRUE(SameSettings(saved, loaded)) << "field code " << int(fields[i]);
  }
}

TEST_F(LogOptionsDialogTest, CancelAndEscapeChangeNothing) {
  LogSettings settings;
  const LogSettings before = settings;
  EXPECT_FALSE(Run(settings, [this] {
    Click("cbx_ProcInfOnly");
    Click("rb_sepadeci_comma");
    Type("|");
    QTest::mouseClick(Get<QPushButton>("bt_Cancel"), Qt::LeftButton);
  }));
  EXPECT_TRUE(SameSettings(settings, before));

  EXPECT_FALSE(Run(settings, [this] {
    EXPECT_EQ(Selected(), QStringLiteral("cbx_infile cbx_outfile rb_sepadeci_dot rb_sepafield_semi"));
    EXPECT_EQ(UserField()->text(), QStringLiteral("|")) << "the typed character may stay";
    Click("rb_sepafield_tab");
    QTest::keyClick(&Dialog, Qt::Key_Escape);
  }));
  EXPECT_TRUE(SameSettings(settings, before));
}

TEST_F(LogOptionsDialogTest, EnterConfirmsOnlyAValidChoice) {
  LogSettings settings;
  bool stillOpen = false;
  EXPECT_FALSE(Run(settings, [&] {
    Click("rb_sepafield_user");
    QTest::keyClick(UserField(), Qt::Key_Return);
    stillOpen = Dialog.isVisible();
    QTest::keyClick(UserField(), Qt::Key_Escape);
  }));
  EXPECT_TRUE(stillOpen);

  // A user-defined comma is confirmed as the comma and shown as "Comma" next time.
  EXPECT_TRUE(Run(settings, [this] {
    Type(",");
    QTest::keyClick(UserField(), Qt::Key_Return);
  }));
  EXPECT_EQ(settings.SepaField, ',');
  Dialog.LoadFrom(settings);
  EXPECT_EQ(Selected(), QStringLiteral("cbx_infile cbx_outfile rb_sepadeci_dot rb_sepafield_comma"));
}

class AboutDialogTest : public ::testing::Test {
 protected:
  AboutDialogTest() {
    About.OpenUrl = [this](const QUrl& url) { Opened.push_back(QString::fromLatin1(url.toEncoded())); };
  }
  QWidget* Get(const char* name) { return About.findChild<QWidget*>(QString::fromLatin1(name)); }
  void Press(Qt::Key key) { QTest::keyClick(About.focusWidget() ? About.focusWidget() : &About, key); }

  Tfrm_About About;
  std::vector<QString> Opened;
};

TEST_F(AboutDialogTest, LinksHandExactTargetsToTheDesktop) {
  About.ShowAbout();
  QTest::mouseClick(Get("laburl_homepage"), Qt::LeftButton);
  QTest::mouseClick(Get("laburl_email"), Qt::LeftButton);
  ASSERT_EQ(Opened.size(), 2u);
  EXPECT_EQ(Opened[0], QStringLiteral("https://tacetix.example.org"));
  EXPECT_EQ(Opened[1], QStringLiteral("mailto:tacetix@example.org?subject=Tacetix%20v1.1"));
}

TEST_F(AboutDialogTest, ALinkTakesClicksOnlyOnItsText) {
  About.ShowAbout();
  for (const char* name : {"laburl_homepage", "laburl_email"}) {
    auto* link = qobject_cast<QLabel*>(Get(name));
    const QPoint beside =
        link->mapTo(&About, QPoint(link->fontMetrics().horizontalAdvance(link->text()) + 6, link->height() / 2));
    QWidget* target = About.childAt(beside) != nullptr ? About.childAt(beside) : &About;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&About, beside));
  }
  EXPECT_TRUE(Opened.empty());
}

TEST_F(AboutDialogTest, NonModalAndClosedByEnterAndEscape) {
  About.ShowAbout();
  EXPECT_FALSE(About.isModal());
  EXPECT_EQ(About.windowTitle(), QStringLiteral("About Tacetix"));
  Press(Qt::Key_Return);
  EXPECT_FALSE(About.isVisible());

  About.ShowAbout();
  About.ShowAbout();
  EXPECT_TRUE(About.isVisible());
  EXPECT_EQ(qobject_cast<QLabel*>(Get("lab_About2"))->text(), QStringLiteral("Version 1.1, 2005-03-26"));
  Press(Qt::Key_Escape);
  EXPECT_FALSE(About.isVisible());
  EXPECT_TRUE(Opened.empty());
}

}  // namespace
