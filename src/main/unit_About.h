// The non-modal About window: product name, version, copyright, and a web and a mail
// link that the desktop opens.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

class Tfrm_About : public QDialog {
  Q_OBJECT

 public:
  explicit Tfrm_About(QWidget* parent = nullptr);

  // Shows the window without blocking; when it is already open, brings it to the front.
  void ShowAbout();

  // Receives every link target; defaults to QDesktopServices::openUrl. Its result is
  // ignored, so a link that opens nothing reports nothing.
  std::function<void(const QUrl&)> OpenUrl;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* MakeLabel(const char* name, const QString& caption);
  QLabel* MakeLink(const char* name, const QString& address);
  void BuildLayout();
  void OnURLClick(const QLabel* sender);
  void bt_OkClick();

  QLabel* lab_About1 = nullptr;
  QLabel* lab_About2 = nullptr;
  QLabel* lab_About3 = nullptr;
  QLabel* laburl_homepage = nullptr;
  QLabel* laburl_email = nullptr;
  QLabel* lab_About4 = nullptr;
  QLabel* img_Logo = nullptr;
  QPushButton* bt_Ok = nullptr;
};
