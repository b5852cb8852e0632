#include "platform/Static.h"

#include <QLabel>
#include <QVBoxLayout>

const CMessageMap& CStatic::messageMap() {
  static const CMessageMap map = MessageMapOf<CStatic>(CWnd::messageMap());
  return map;
}

CStatic::CStatic(QWidget* parent) : CWnd(parent), label_(new QLabel(this)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label_);
}

CStatic::~CStatic() = default;

void CStatic::SetWindowText(const QString& text) { label_->setText(text); }
QString CStatic::GetWindowText() const { return label_->text(); }
Qt::Alignment CStatic::alignment() const { return label_->alignment(); }
void CStatic::setAlignment(Qt::Alignment alignment) { label_->setAlignment(alignment); }
bool CStatic::wordWrap() const { return label_->wordWrap(); }
void CStatic::setWordWrap(bool on) { label_->setWordWrap(on); }
