// The 40-byte packet side of the simulated calculator: its packets as it
// puts them on the wire, and the steps of its handshakes as sender and as
// receiver, added to a CalcSimulator's script.
#pragma once

#include "tests/link/sim/CalcSimulator.h"

#include <string>
#include <vector>

namespace tallix::test::mcs {

// 40 bytes on the wire: ':', 0xFF everywhere but the tag at 1 and the fields
// given as (offset, bytes), and the checksum over bytes 1-38.
Bytes packet40(const char* tag, const std::vector<std::pair<int, Bytes>>& fields = {});
// An "MCS1" header: 0 at 5, the size big-endian at 6-9, the type byte at 10,
// the name from 11 and the group from 19.
Bytes header(BYTE type, DWORD size, const std::string& name, const std::string& group = "");
// A backup header: "BKU1" with the size big-endian at 9-12.
Bytes backupHeader(DWORD size, const std::string& name = "");
// The calculator's model packet with the speed it names at 11-16.
Bytes modelPacket(const char* speed = "038400");
Bytes endPacket();
// A data block: ':', the bytes, the checksum.
Bytes block(const Bytes& data);

// The calculator starts a transfer: 0x16, the PC's 0x13, its model packet,
// the PC's echo of it, 0x06, and the PC's 0x06 before the first header.
void startSending(CalcSimulator& sim, const char* speed = "038400");
// Each header or block, then the PC's 0x06 for it; nothing is expected
// after "END1".
void sendPackets(CalcSimulator& sim, const std::vector<Bytes>& packets);
// The calculator waits for items: the PC's 0x16, 0x13, the PC's model
// packet, its own, the PC's 0x06 and its own 0x06.
void startReceiving(CalcSimulator& sim);
// One header from the PC answered with `answer`; then, when the answer was
// 0x06 and `blockSize` is not 0, the block answered with 0x06.
void takeItem(CalcSimulator& sim, size_t blockSize, BYTE answer = 0x06);

}  // namespace tallix::test::mcs
