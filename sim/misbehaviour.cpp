#include "misbehaviour.h"

#include <QRandomGenerator>
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

int Misbehaviour::addNoise(QByteArray *bytes, QRandomGenerator &random) const
{
    int hit = 0;
    for (char &byte : *bytes) {
        if (noise <= 0 || random.generateDouble() >= noise)
            continue;
        byte = static_cast<char>(byte ^ (1 << random.bounded(8)));
        ++hit;
    }
    return hit;
}

QString Misbehaviour::summary() const
{
    QStringList faults;
    if (silent) {
        faults << QStringLiteral("never answers");
    } else {
        if (delayMs > 0)
            faults << QStringLiteral("answers %1 ms late").arg(delayMs);
        if (splitMs > 0)
            faults << QStringLiteral("splits each answer in two, %1 ms apart").arg(splitMs);
        if (badCrc)
            faults << QStringLiteral("spoils the CRC");
        if (truncateTo >= 0)
            faults << QStringLiteral("sends only %1 byte(s) of each answer").arg(truncateTo);
        if (noise > 0)
            faults << QStringLiteral("flips a bit in an answer byte with probability %1 (seed %2)")
                          .arg(noise)
                          .arg(noiseSeed);
    }
    // The adapter echoes what the master sends whether the display answers or not.
    if (echo)
        faults << QStringLiteral("echoes every byte sent to it");
    return faults.join(QStringLiteral(", "));
}

} // namespace lcdsim
