#include "fuzzcheck.h"
#include "modcrc16.h"
#include "modvariables.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

// CheckCRC16 on arbitrary received frames, held against a table-driven CRC-16/MODBUS worked out
// here, so a fault in the bitwise computation or in the text comparison both show.
namespace {

constexpr int maxN = modVariables::TxBufSize - 1;
constexpr quint8 untouched = 0xA5;

std::array<quint16, 256> makeTable()
{
    std::array<quint16, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1U) ? (crc >> 1) ^ 0xA001U : crc >> 1;
        table[i] = static_cast<quint16>(crc);
    }
    return table;
}

quint16 tableCrc(const std::uint8_t *bytes, std::size_t length)
{
    static const std::array<quint16, 256> table = makeTable();
    unsigned crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFFU];
    return static_cast<quint16>(crc);
}


} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The caller guarantees at least n + 3 received bytes and n <= 40; the length gives n, and
    // bytes beyond n + 2 stay in RxBuf as a longer answer would leave them.
    if (size < 3)
        return 0;
    const int n = static_cast<int>(std::min<std::size_t>(size - 3, maxN));
    modVariables::RxBuf =
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    modVariables::TxBuf.fill(untouched);

    const bool good = modcrc16::CheckCRC16(n);

    const quint16 crc = tableCrc(data, static_cast<std::size_t>(n) + 1);
    require(good == (data[n + 1] == (crc & 0xFFU) && data[n + 2] == (crc >> 8)));
    require(std::equal(data, data + n + 1, modVariables::TxBuf.begin()));
    require(std::all_of(modVariables::TxBuf.begin() + n + 1, modVariables::TxBuf.end(),
                        [](quint8 b) { return b == untouched; }));
    require(modVariables::CrcHi == QString::asprintf("%02X", crc >> 8));
    require(modVariables::CrcLo == QString::asprintf("%02X", crc & 0xFFU));
    require(modVariables::RxBuf.size() == static_cast<qsizetype>(size));
    return 0;
}
