#include "misbehaviour.h"

#include <QStringList>

namespace lcdsim {

QByteArray Misbehaviour::shape(const QByteArray &answer) const
{
    QByteArray shaped = answer;
    // Inverting every bit of the CRC's high byte can never leave it right.
    if (badCrc && !shaped.isEmpty())
        shaped[shaped.size() - 1] = static_cast<char>(~shaped.at(shaped.size() - 1));
    if (truncateTo >= 0 && truncateTo < shaped.size())
        shaped.truncate(truncateTo);
    return shaped;
}

QString Misbehaviour::summary() const
{
    if (silent)
        return QStringLiteral("never answers");
    QStringList faults;
    if (delayMs > 0)
        faults << QStringLiteral("answers %1 ms late").arg(delayMs);
    if (badCrc)
        faults << QStringLiteral("spoils the CRC");
    if (truncateTo >= 0)
        faults << QStringLiteral("sends only %1 byte(s) of each answer").arg(truncateTo);
    return faults.join(QStringLiteral(", "));
}

} // namespace lcdsim
