#pragma once

#include "lineend.h"

#include <QSerialPort>

namespace lcdsim {

/*! \brief The simulator on a real serial port: the display's side of a null-modem cable or of
 * a com0com pair.
 *
 * The port is set to the line the display listens at, and follows it when a configuration
 * image moves it; a master at another speed or format is then heard as the port's own
 * hardware hears it, as garbled bytes that the display ignores. A port that fails or goes away
 * (an adapter pulled out) reports failed() once and is let go.
 */
class SerialLine : public LineEnd
{
    Q_OBJECT

public:
    explicit SerialLine(QObject *parent = nullptr);

    //! Opens the port at the given line; false with the port's name and the reason in *error.
    bool open(const QString &name, const LineSettings &line, QString *error);

    QString devicePath() const override { return m_name; }
    std::optional<LineSettings> lineSettings() const override { return m_line; }
    bool write(const QByteArray &bytes) override;
    bool pacesItself() const override { return true; }
    void listenAt(const LineSettings &line) override;

private:
    //! Sets the port to line; false with the reason in *error.
    bool apply(const LineSettings &line, QString *error);
    void reportFailure(QSerialPort::SerialPortError error);
    //! Reports the failure once and lets the port go.
    void fail(const QString &reason);

    QSerialPort m_port;
    QString m_name;
    LineSettings m_line;
    bool m_applying = false;
    bool m_failed = false;
};

} // namespace lcdsim
