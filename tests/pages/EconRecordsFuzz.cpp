// The user's sensor table and the data-logger records as the E-CON pages
// read them. Input: the whole of it as "Sensor.lst"; then, after its first
// byte (a record size, times two), as the data of a set-up and a probe
// record whose texts are read and written back.
#include "datamodel/QXDataLoggerItem.h"
#include "pages/QXECONRecords.h"
#include "pages/QXSensorList.h"
#include "platform/ProgramPaths.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir dir;
  static const bool once = [] {
    tallix::setProgramDirectoryOverride(dir.path());
    tallix::setUserDataDirectoryOverride(dir.path());
    return true;
  }();
  (void)once;
  {
    QFile file(dir.filePath(QStringLiteral("Sensor.lst")));
    if (!file.open(QIODevice::WriteOnly)) return 0;
    file.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  for (const QXSensor& sensor : ReadSensorList())
    if (sensor.number == -1 || sensor.name.find('\0') != std::string::npos) __builtin_trap();

  if (size < 1) return 0;
  const std::size_t length = std::min<std::size_t>(size - 1, std::size_t(data[0]) * 2);
  std::vector<BYTE> bytes(data + 1, data + 1 + length);
  CQXRawBlock record;
  record.InitHeader(254, "2005", "E-CON", DWORD(bytes.size()));
  record.SetData(bytes.data(), DWORD(bytes.size()));
  if (EconRecordNumber(&record, "20") != 5 || EconRecordNumber(&record, "10") != 0) __builtin_trap();
  for (int field : {0, 2000, 2019})
    for (std::size_t most : {std::size_t(9), std::size_t(19)}) {
      const std::string text = ReadEconText(&record, field, most);
      if (text.size() > most || text.find('\0') != std::string::npos) __builtin_trap();
    }
  // A text written over a field comes back, and the bytes after the
  // field's written width stay.
  const std::vector<BYTE> before(record.GetData(), record.GetData() + record.GetLength());
  if (WriteEconText(&record, 2019, "unit", 9)) {
    if (ReadEconText(&record, 2019, 9) != "unit") __builtin_trap();
    for (std::size_t i = 28; i < before.size(); ++i)
      if (record.GetData()[i] != before[i]) __builtin_trap();
  } else if (bytes.size() >= 38) {
    __builtin_trap();
  }
  return 0;
}
