#include "main/unit_About.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

#include "TacetixVersion.h"

namespace {

const QString ProductName = QStringLiteral("Tacetix");
const QString VersionText = QStringLiteral("Version " TACETIX_VERSION ", " TACETIX_RELEASE_DATE);
const QString CopyrightText = QStringLiteral("Copyright \u00A9 2005 The Tacetix developers");
const QString HomepageAddress = QStringLiteral("https://tacetix.example.org");
const QString MailAddress = QStringLiteral("tacetix@example.org");
// Product and version with every blank written as %20, so mail programs read it whole.
const QString MailSubject = QStringLiteral("?subject=Tacetix%20v" TACETIX_VERSION);

constexpr int LogoWidth = 118;
constexpr int LogoHeight = 25;

// A burst of sound between two stretches of silence, with the silence cut off at the
// marks: what the program does, in one picture. Drawn here so no artwork is borrowed.
QPixmap DrawLogo() {
  QPixmap logo(LogoWidth, LogoHeight);
  logo.fill(Qt::transparent);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  const double middle = LogoHeight / 2.0;
  const double cutLeft = 22.0;
  const double cutRight = LogoWidth - 22.0;

  painter.setPen(QPen(QColor(150, 150, 150), 1.0, Qt::DotLine));
  painter.drawLine(QPointF(2.0, middle), QPointF(cutLeft, middle));
  painter.drawLine(QPointF(cutRight, middle), QPointF(LogoWidth - 2.0, middle));

  QPainterPath wave(QPointF(cutLeft, middle));
  for (double x = cutLeft; x <= cutRight; x += 0.5) {
    const double phase = (x - cutLeft) / (cutRight - cutLeft);
    const double envelope = std::sin(phase * std::numbers::pi) * (middle - 2.0);
    wave.lineTo(x, middle - envelope * std::sin((x - cutLeft) * 0.9));
  }
  painter.setPen(QPen(QColor(20, 70, 160), 1.2));
  painter.drawPath(wave);

  painter.setPen(QPen(QColor(200, 40, 40), 2.0));
  painter.drawLine(QPointF(cutLeft, 2.0), QPointF(cutLeft, LogoHeight - 2.0));
  painter.drawLine(QPointF(cutRight, 2.0), QPointF(cutRight, LogoHeight - 2.0));
  return logo;
}

}  // namespace

Tfrm_About::Tfrm_About(QWidget* parent)
    : QDialog(parent), OpenUrl([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
  setObjectName(QStringLiteral("frm_About"));
  setWindowTitle(QStringLiteral("About ") + ProductName);
  lab_About1 = MakeLabel("lab_About1", ProductName);
  QFont nameFont = lab_About1->font();
  nameFont.setBold(true);
  lab_About1->setFont(nameFont);
  lab_About2 = MakeLabel("lab_About2", VersionText);
  lab_About3 = MakeLabel("lab_About3", CopyrightText);
  laburl_homepage = MakeLink("laburl_homepage", HomepageAddress);
  laburl_email = MakeLink("laburl_email", MailAddress);
  lab_About4 = MakeLabel("lab_About4", QString());
  img_Logo = MakeLabel("img_Logo", QString());
  img_Logo->setPixmap(DrawLogo());
  bt_Ok = new QPushButton(QStringLiteral("OK"), this);
  bt_Ok->setObjectName(QStringLiteral("bt_Ok"));
  bt_Ok->setDefault(true);
  connect(bt_Ok, &QPushButton::clicked, this, &Tfrm_About::bt_OkClick);
  BuildLayout();
  setFixedSize(sizeHint().expandedTo(QSize(327, 128)));
}

QLabel* Tfrm_About::MakeLabel(const char* name, const QString& caption) {
  auto* label = new QLabel(caption, this);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* Tfrm_About::MakeLink(const char* name, const QString& address) {
  QLabel* label = MakeLabel(name, address);
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
  label->setPalette(palette);
  label->setCursor(Qt::PointingHandCursor);
  label->installEventFilter(this);
  return label;
}

void Tfrm_About::BuildLayout() {
  auto* texts = new QVBoxLayout;
  texts->setSpacing(0);
  texts->addWidget(lab_About1);
  texts->addWidget(lab_About2);
  texts->addWidget(lab_About3);
  texts->addSpacing(fontMetrics().height());
  // As wide as their text: a click beside a link opens nothing.
  texts->addWidget(laburl_homepage, 0, Qt::AlignLeft);
  texts->addWidget(laburl_email, 0, Qt::AlignLeft);
  texts->addWidget(lab_About4);
  texts->addStretch(1);

  auto* side = new QVBoxLayout;
  side->addWidget(img_Logo, 0, Qt::AlignRight | Qt::AlignTop);
  side->addStretch(1);
  side->addWidget(bt_Ok, 0, Qt::AlignRight | Qt::AlignBottom);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(texts, 1);
  layout->addSpacing(12);
  layout->addLayout(side);
}

void Tfrm_About::ShowAbout() {
  show();
  raise();
  activateWindow();
}

bool Tfrm_About::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && (watched == laburl_homepage || watched == laburl_email)) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* label = static_cast<QLabel*>(watched);
    // Like a button: releasing outside the link after pressing on it opens nothing.
    if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
      OnURLClick(label);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Tfrm_About::OnURLClick(const QLabel* sender) {
  QString target = sender->text();
  if (target.contains(QLatin1Char('@'))) target = QStringLiteral("mailto:") + target + MailSubject;
  if (OpenUrl) OpenUrl(QUrl(target, QUrl::TolerantMode));
}

void Tfrm_About::bt_OkClick() { hide(); }
