#include "framelog.h"

#include "hextext.h"

#include <QTime>

namespace lcdsim {

FrameLog::FrameLog(QIODevice *output) : m_out(output) {}

void FrameLog::line(const QString &text)
{
    m_out << text << '\n';
    m_out.flush();
}

void FrameLog::received(const QByteArray &frame, const QString &meaning)
{
    stamped(QStringLiteral("RX"), hextext::bytes(frame) + QStringLiteral("  ") + meaning);
}

void FrameLog::sent(const QByteArray &answer, const QString &meaning)
{
    stamped(QStringLiteral("TX"), hextext::bytes(answer) + QStringLiteral("  ") + meaning);
}

void FrameLog::note(const QString &text)
{
    stamped(QStringLiteral("--"), text);
}

void FrameLog::stamped(const QString &tag, const QString &text)
{
    line(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + tag + QLatin1Char(' ') +
         text);
}

} // namespace lcdsim
