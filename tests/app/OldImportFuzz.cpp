// Record chains of any bytes through both importers, as a run walks a
// transfer chain, into a stand-in document; each record also as an old
// screen copy.
//
// Input: byte 0 chooses the calculator type (0 "FX9850", 1 "FX7400", 2
// "FXALGEBRA20"), then the records (see RecordChain::parse).
#include "app/OldDataImporter.h"
#include "tests/app/OldRecordChains.h"
#include "tests/support/FakeDocServices.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace tallix::test;

// Files every entry, as the document would, under a path by its kind.
class FuzzDoc : public FakeDocServices {
 public:
  BOOL StoreReceivedItem(CQXDocEntry* entry, DWORD flags) override {
    return FakeDocServices::StoreReceivedItem(entry, flags) ||
           entry->SetPath(("\\Calculator\\Kind" + std::to_string(entry->GetKind())).c_str()) > 0;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const char* const kTypes[] = {"FX9850", "FX7400", "FXALGEBRA20"};
  FuzzDoc doc;
  doc.calculatorType = kTypes[data[0] % 3];
  RecordChain chain;
  RecordChain::parse(data + 1, size - 1, &chain);
  std::unique_ptr<CQXOldDataImporter> importer;
  if (data[0] % 3 == 2)
    importer = std::make_unique<CQXOldDataImporterAlgebra>(&doc);
  else
    importer = std::make_unique<CQXOldDataImporterFX9850>(&doc);
  qxl16_Record* cursor = chain.first();
  while (cursor) {
    const qxl16_Record* before = cursor;
    std::unique_ptr<CQXDocEntry> entry;
    const int result = importer->ConvertRecord(&cursor, &entry);
    if (result == CQXOldDataImporter::kConverted && doc.StoreReceivedItem(entry.get(), 1) && entry->GetItem())
      doc.SaveItem(entry.get(), nullptr);
    if ((result != CQXOldDataImporter::kConverted && result != CQXOldDataImporter::kPending) || cursor == before)
      break;
  }
  importer->EndRun();
  for (size_t i = 0; i < chain.size() && i < 4; ++i) importer->InsertItem(chain.at(i));
  return 0;
}
