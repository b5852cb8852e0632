#include "tests/support/MissingResources.h"

#include "platform/LanguageLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tallix::test {
namespace {

int expected = 0;
std::vector<std::string> missing;

class MissingResourceListener : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { missing.clear(); }
  // Runs while the test is still the current one, so the failure is its own.
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (missing.empty()) return;
    std::string list;
    for (const std::string& m : missing) list += (list.empty() ? "" : ", ") + m;
    missing.clear();
    ADD_FAILURE() << "resources missing from the language library: " << list;
  }
};

}  // namespace

ExpectMissingResources::ExpectMissingResources() { ++expected; }
ExpectMissingResources::~ExpectMissingResources() { --expected; }

void installMissingResourceCheck() {
  CLanguageLibrary::SetMissingHandler([](const QString& kind, unsigned id) {
    if (expected == 0) missing.push_back(kind.toStdString() + " " + std::to_string(id));
  });
  ::testing::UnitTest::GetInstance()->listeners().Append(new MissingResourceListener);
}

}  // namespace tallix::test
