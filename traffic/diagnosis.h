#pragma once

#include "trafficrecord.h"

#include <QList>
#include <QString>

//! One thing the traffic says about the line: a fixed code and one line that explains it and
//! says what to try.
struct LineFinding
{
    //! "no-answer", "echo", "crc-errors", "late-answers", "split-answers" or "wrong-slave".
    QString code;
    QString text;

    //! "code: text", the form a person reads.
    QString line() const { return code + QStringLiteral(": ") + text; }
};

//! Who reads the findings: what to try is said in the terms of the tool at hand.
enum class DiagnosisReader { TrafficWindow, CommandLine };

/*! \brief Reads the traffic back and names what is wrong with the line.
 *
 * Records are added as exchanges end; findings() judges everything added since the last clear(),
 * keeping only counts, so a long run costs no memory. Uploads await no answer and a port failure
 * says nothing about the line, so neither is counted.
 */
class LineDiagnosis
{
public:
    //! \a localEcho: the exchange already removes an echoed copy of the request, so an echo is
    //! no longer a fault worth naming.
    explicit LineDiagnosis(bool localEcho = false) : m_localEcho(localEcho) {}

    //! For a line taken up again with echo removal switched; the counts stay.
    void setLocalEcho(bool on) { m_localEcho = on; }

    void add(const TrafficRecord &record);
    void clear();

    //! What applies, in a fixed order; empty on a healthy line.
    QList<LineFinding> findings(DiagnosisReader reader) const;

private:
    bool m_localEcho;
    int m_exchanges = 0;
    int m_withBytes = 0;
    int m_function16WithBytes = 0;
    int m_function16Echoes = 0;
    int m_crcErrorsNotEcho = 0;
    int m_timedAnswers = 0;
    int m_lateAnswers = 0;
    int m_pacedAnswers = 0;
    int m_splitAnswers = 0;
    int m_wrongSlaves = 0;
};

//! The findings over a whole sequence of records.
QList<LineFinding> diagnose(const QList<TrafficRecord> &records, bool localEcho,
                            DiagnosisReader reader);
