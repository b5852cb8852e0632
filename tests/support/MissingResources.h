// Every resource the code under test asks the language library for and that
// the library lacks fails the test that asked, so an id missing from the
// library shows up in CI. A test that looks for a missing id on purpose says
// so with an ExpectMissingResources for that scope.
#pragma once

namespace tallix::test {

class ExpectMissingResources {
 public:
  ExpectMissingResources();
  ~ExpectMissingResources();
  ExpectMissingResources(const ExpectMissingResources&) = delete;
  ExpectMissingResources& operator=(const ExpectMissingResources&) = delete;
};

// Installed once by the test main.
void installMissingResourceCheck();

}  // namespace tallix::test
