#include "configimage.h"
#include "configprofile.h"
#include "cp1252.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

// A profile file of any bytes, as pravixctl reads it for an upload: either it is refused with
// one line naming the file and the line, or every list has a chosen entry in its range, every
// message fits its 16 characters, and the image built from it carries a correct checksum.
namespace {

bool within(int position, int entries)
{
    return position >= 0 && position < entries;
}

void requireChosen(const ConfigChoices &choices)
{
    require(within(choices.baudRate, 3) && within(choices.dataFormat, 3));
    require(within(choices.slaveId, 247));
    require(within(choices.width1, 5) && within(choices.width2, 5));
    require(within(choices.decimalPoint1, 5) && within(choices.decimalPoint2, 5));
    require(within(choices.startPoint1, 14) && within(choices.startPoint2, 14));
    require(within(choices.startupScreen1, 7) && within(choices.startupScreen2, 7));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString fileName = QStringLiteral("bench.ini");
    const auto stored = [](int index) { return QStringLiteral("STORED MESSAGE %1").arg(index); };
    QString error;
    const std::optional<ctl::ConfigProfile> profile =
        ctl::readProfile(contents, fileName, stored, &error);

    if (!profile) {
        require(error.startsWith(fileName + QStringLiteral(" line ")));
        require(!error.contains(QLatin1Char('\n')));
        return 0;
    }
    requireChosen(profile->choices);
    for (const QString &message : profile->messages)
        require(cp1252::encode(message).size() <= ConfigImage::MessageLength);

    const QByteArray image = ctl::uploadImage(*profile);
    require(image.size() == ConfigImage::Size);
    const auto byteAt = [&image](int index) { return unsigned(quint8(image.at(index))); };
    unsigned sum = 0;
    for (int i = 0; i <= ConfigImage::LastSummedByte; ++i)
        sum += byteAt(i);
    require(byteAt(ConfigImage::LastSummedByte + 1) == sum % 256);
    require((sum + byteAt(ConfigImage::LastSummedByte + 2)) % 256 == 0);
    return 0;
}
