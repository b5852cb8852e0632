#include "app/QXDocProperties.h"

#include "charset/Cp1252.h"
#include "services/QXSummaryInfo.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// Exchanges one text between its control (a line or a multi-line edit) and
// its bytes; a multi-line edit keeps its lines apart with "\r\n" in the bytes.
void exchangeText(CDataExchange* pDX, int id, std::string* bytes) {
  QWidget* control = pDX->PrepareCtrl(id);
  if (auto* line = qobject_cast<QLineEdit*>(control)) {
    if (pDX->m_bSaveAndValidate) *bytes = tallix::toCp1252(line->text());
    else line->setText(tallix::fromCp1252(*bytes));
  } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
    if (pDX->m_bSaveAndValidate) {
      *bytes = tallix::toCp1252(text->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")));
    } else {
      text->setPlainText(tallix::fromCp1252(*bytes).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
  }
}

}  // namespace

CQXDocPropertiesPage::CQXDocPropertiesPage(CQXSummaryInfo* summary)
    : COrvoPropertyPage(kTemplateId), summary_(summary) {}

CQXDocPropertiesPage::~CQXDocPropertiesPage() = default;

void CQXDocPropertiesPage::DoDataExchange(CDataExchange* pDX) {
  COrvoPropertyPage::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate && summary_) {
    summary_->GetTitle(&m_title);
    summary_->GetSubject(&m_subject);
    summary_->GetAuthor(&m_author);
    summary_->GetKeywords(&m_keywords);
    summary_->GetComments(&m_comments);
  }
  exchangeText(pDX, 1064, &m_title);
  exchangeText(pDX, 1011, &m_subject);
  exchangeText(pDX, 1012, &m_author);
  exchangeText(pDX, 1013, &m_keywords);
  exchangeText(pDX, 1014, &m_comments);
}

void CQXDocPropertiesPage::OnOK() {
  COrvoPropertyPage::OnOK();
  if (!summary_) return;
  summary_->SetTitle(m_title.c_str());
  summary_->SetSubject(m_subject.c_str());
  summary_->SetAuthor(m_author.c_str());
  summary_->SetKeywords(m_keywords.c_str());
  summary_->SetComments(m_comments.c_str());
}

CQXDocPropertiesSheet::CQXDocPropertiesSheet(CQXSummaryInfo* summary, QWidget* parent)
    : COrvoPropertySheet(CLanguageLibrary::LoadString(kCaptionId), parent, 0), m_page(summary) {
  m_psh.dwFlags |= PSH_NOAPPLYNOW;
  AddPage(&m_page);
}

CQXDocPropertiesSheet::~CQXDocPropertiesSheet() = default;
