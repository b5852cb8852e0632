#include "tests/pages/PageTestSupport.h"

namespace tallix::test {

const CMessageMap& PageDoc::messageMap() {
  static const CMessageMap map =
      MessageMapOf<PageDoc>(CQXDoc::messageMap()).command(28020, &PageDoc::OnShowSelection)
                                     .command(22102, &PageDoc::OnNewItem)
                                     .updateUI(22102, &PageDoc::OnUpdateNewItem);
  return map;
}

}  // namespace tallix::test
