// The print views of calculator programs (kind 4) and of labelled token
// fields (kind 5, function memories and graph functions): the page's tokens
// are copied into a token editor of the view's own, which draws them in the
// program font measured on the job's device and says where each page ended.
// A field prints its label in the header font, its tokens beside it.
//
// A page start is kept whole: the field (0 for a program), the token and
// the character within that token, so a token split at the bottom of a page
// goes on at its next character and no program is too long to page. The
// starts are found page after page as the job runs, so printing and the
// preview break the pages alike; a page that gets no further than its
// start ends the job (a body too small for one line would repeat it
// forever).
#pragma once

#include "pages/QXPrintView.h"
#include "tokens/QXTokenTextMap.h"

#include <QPointer>

#include <vector>

class CQXProgramTokenEditor;
class CQXTokenEditor;
class CQXTokenFieldList;

// What the token views share: the editor, its map, the print font and the
// page starts.
class CQXTokenPrintView : public CQXPrintView {
  Q_OBJECT

 public:
  struct PageStart {
    int field = 0;
    int token = 0;
    int charOffset = 0;
    bool operator==(const PageStart&) const = default;
  };

  CQXTokenPrintView();
  ~CQXTokenPrintView() override;
  DECLARE_MESSAGE_MAP()

  // Page 1 starts at the beginning; the font is measured on the device.
  void BeginJob(CDC* dc, CPrintInfo* info) override;
  // The map from the document's command table, the fetch, the print font.
  BOOL PrepareJob(CPrintInfo* info) override;

  CQXProgramTokenEditor* GetEditor() const { return m_editor; }
  const std::vector<PageStart>& GetPageStarts() const { return m_pageStarts; }
  const CFont& GetPrintFont() const { return m_printFont; }

 protected:
  // The print editor takes `source`'s tokens (an empty source: `ifEmpty`
  // when given, else none); FALSE, after message 61706, when memory ran
  // out.
  BOOL CopyTokens(const CQXTokenEditor& source, const char* ifEmpty = nullptr);
  // The page being printed ended with the next one starting at `next`:
  // remembered when it is new; a page that made no progress is the last
  // and ends the job.
  void NotePageEnd(CPrintInfo* info, const PageStart& next);
  // The start of the page being printed, or null when it is not known (the
  // job ends).
  const PageStart* CurrentPageStart(CPrintInfo* info);

  CQXProgramTokenEditor* m_editor;
  CQXTokenTextMap m_map;
  CFont m_printFont;
  std::vector<PageStart> m_pageStarts;

 private:
  BOOL choosePrintFont();
};

// The program pages (kind 4).
class CQXProgramPrintView : public CQXTokenPrintView {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXProgramPrintView() = default;
  DECLARE_MESSAGE_MAP()

  void PrintBody(CDC* dc, CPrintInfo* info) override;
  BOOL FetchViewData() override;
};

// The function-field pages (kind 5).
class CQXFunctionPrintView : public CQXTokenPrintView {
  Q_OBJECT

 public:
  Q_INVOKABLE CQXFunctionPrintView() = default;
  DECLARE_MESSAGE_MAP()

  void PrintBody(CDC* dc, CPrintInfo* info) override;
  BOOL FetchViewData() override;

 private:
  QPointer<CQXTokenFieldList> m_fieldList;  // the page's
  int m_nLastField = -1;
};
