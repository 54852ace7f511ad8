#pragma once

#include <QByteArray>
#include <QString>
#include <QTextStream>

class QIODevice;

namespace lcdsim {

/*! \brief The simulator's running account: every frame in and out, in hex, with a time stamp
 * and its meaning. Each line is flushed at once, so a reader on a pipe sees it immediately.
 */
class FrameLog
{
public:
    explicit FrameLog(QIODevice *output);

    //! A line as it is, without a time stamp.
    void line(const QString &text);
    void received(const QByteArray &frame, const QString &meaning);
    void sent(const QByteArray &answer, const QString &meaning);
    //! A time-stamped remark that belongs to no frame.
    void note(const QString &text);

private:
    void stamped(const QString &tag, const QString &text);

    QTextStream m_out;
};

} // namespace lcdsim
