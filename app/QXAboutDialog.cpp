#include "app/QXAboutDialog.h"

#include "classlib/ProgramVersion.h"
#include "platform/LanguageLibrary.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int kVersionText = 1000;
constexpr int kPictureButton = 1040;
constexpr int kProductName = 1065;
constexpr UINT kAppIcon = 128;
constexpr int kMargin = 2;

}  // namespace

CQXAboutDialog::CQXAboutDialog(QWidget* parent) : COrvoHelpDialog(kTemplateId, parent) {}

CQXAboutDialog::~CQXAboutDialog() = default;

BOOL CQXAboutDialog::OnInitDialog() {
  COrvoHelpDialog::OnInitDialog();
  if ((m_pictureButton = GetDlgItem(kPictureButton))) {
    const int icon = style()->pixelMetric(QStyle::PM_LargeIconSize);
    m_pictureButton->setFixedSize(2 * icon + 2 * kMargin, 2 * icon + 2 * kMargin);
    m_pictureButton->installEventFilter(this);
    // The picture never takes the focus, so that Return goes to OK.
    m_pictureButton->setFocusPolicy(Qt::NoFocus);
    if (auto* button = qobject_cast<QPushButton*>(m_pictureButton)) button->setAutoDefault(false);
  }
  VS_FIXEDFILEINFO version{};
  if (auto* text = GetDlgItemAs<QLabel>(kVersionText); text && GetProgramVersion(&version))
    text->setText(QString::asprintf("  %d.%d.%d", HIWORD(version.dwFileVersionMS), LOWORD(version.dwFileVersionMS),
                                    HIWORD(version.dwFileVersionLS)));
  m_titleFont = QFont(QStringLiteral("Arial"));
  m_titleFont.setPointSize(20);
  m_titleFont.setWeight(QFont::Bold);
  if (QWidget* name = GetDlgItem(kProductName)) name->setFont(m_titleFont);
  return TRUE;
}

bool CQXAboutDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_pictureButton || event->type() != QEvent::Paint) return COrvoHelpDialog::eventFilter(watched, event);
  // The icon at its own size over the button's background, then stretched
  // pixel by pixel to twice that.
  const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
  const QColor background = m_pictureButton->palette().color(m_pictureButton->backgroundRole());
  QPixmap picture(size, size);
  picture.fill(background);
  {
    QPainter p(&picture);
    CLanguageLibrary::LoadIcon(kAppIcon).paint(&p, 0, 0, size, size);
  }
  QPainter painter(m_pictureButton);
  painter.fillRect(m_pictureButton->rect(), background);
  painter.drawPixmap(m_pictureButton->rect().adjusted(kMargin, kMargin, -kMargin, -kMargin), picture);
  return true;
}
