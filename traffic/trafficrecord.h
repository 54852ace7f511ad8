#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

//! How one exchange or upload ended, as the history and its CSV name it.
enum class TrafficOutcome {
    Answer,     //!< a whole answer with a good CRC
    NoResponse, //!< nothing arrived during the wait
    Incomplete, //!< fewer bytes than a whole answer
    CrcError,   //!< a whole answer whose CRC does not hold
    Exception,  //!< a Modbus exception answer (the command-line tool tells it apart)
    PortError,  //!< the port failed on the way
    Written,    //!< a configuration upload, which awaits no reply
};

//! The outcome's token: "answer", "no response", "incomplete", "crc error", "exception",
//! "port error", "written".
QString outcomeToken(TrafficOutcome outcome);

//! The outcome a token names; nothing for a text that is no outcome's token.
std::optional<TrafficOutcome> outcomeFromToken(const QString &token);

//! A timing as the history shows it: decimal milliseconds with one decimal ("12.4"), or empty.
QString millisecondsText(const std::optional<double> &ms);

/*! \brief One request on the line and what came back, with the answer's timing.
 *
 * The timings count from the moment the request's write returned; they are empty when no byte
 * arrived during the wait.
 */
struct TrafficRecord
{
    //! The window names of the producers: the program's windows and the command-line tool.
    static inline const QString mainWindow = QStringLiteral("main");
    static inline const QString configWindow = QStringLiteral("config");
    //! The probes of the "Find LCD" window's search.
    static inline const QString findWindow = QStringLiteral("find");
    static inline const QString commandLine = QStringLiteral("pravixctl");

    QDateTime time;   //!< local time the request was written, with milliseconds
    QString window;   //!< "main", "config", "find" or "pravixctl"
    QString device;   //!< the device path
    QString settings; //!< the line settings, for example "9600,n,8,1"
    QByteArray sent;
    QByteArray received;
    TrafficOutcome outcome = TrafficOutcome::NoResponse;
    std::optional<double> firstByteMs;
    std::optional<double> lastByteMs;
    //! How long the answer was waited for; 0 for an upload.
    double waitMs = 0;
};
