// A document stand-in for tests of the data model and the link: answers the
// overwrite question from a script and records what it was asked.
#pragma once

#include "app/DocServices.h"

#include <deque>

namespace tallix::test {

class FakeDocServices : public CQXDocServices {
 public:
  std::string calculatorType = "FX9850";
  std::string calculatorName = "CFX-9850G";
  DWORD uniqueNumber = 0;
  // Answers QueryOverwrite gives in turn; 1 (yes) once they run out.
  std::deque<UINT> overwriteAnswers;
  std::vector<std::pair<std::string, int>> overwriteQuestions;
  CQXCalcLink* currentLink = nullptr;

  void GetCalculatorType(std::string* out) override { *out = calculatorType; }
  void GetCalculatorName(std::string* out) override { *out = calculatorName; }
  DWORD NextUniqueNumber() override { return ++uniqueNumber; }
  BOOL CollectSendableItems(std::vector<std::string>*, std::vector<std::string>*) override { return TRUE; }
  BOOL LoadItemsAt(const char*, std::vector<std::unique_ptr<CQXDocEntry>>*) override { return FALSE; }
  BOOL LoadItem(const char*, CQXDocEntry*) override { return FALSE; }
  BOOL StoreReceivedItem(CQXDocEntry*, BOOL) override { return FALSE; }
  BOOL SaveItem(CQXDocEntry*, char*) override { return FALSE; }
  BOOL GetItemDataLength(const char*, DWORD* out) override {
    *out = 0;
    return FALSE;
  }
  BOOL CheckOverwrite(CQXDocEntry*) override { return TRUE; }
  BOOL RemoveItem(const char*, DWORD*, BOOL) override { return FALSE; }
  void QueryOverwrite(const char* itemText, int kind, UINT* answer) override {
    overwriteQuestions.emplace_back(itemText ? itemText : "", kind);
    *answer = 1;
    if (!overwriteAnswers.empty()) {
      *answer = overwriteAnswers.front();
      overwriteAnswers.pop_front();
    }
  }
  void SetCurrentLink(CQXCalcLink* link) override { currentLink = link; }
  CQXCalcLink* GetCurrentLink() const override { return currentLink; }
};

}  // namespace tallix::test
