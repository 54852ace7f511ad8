#pragma once

#include <QByteArray>
#include <QString>

namespace lcdsim {

//! Faults the simulated display can be told to show, so a master's error paths can be tried.
struct Misbehaviour
{
    //! Never answer.
    bool silent = false;
    //! Hold every answer back this long.
    int delayMs = 0;
    //! Send answers with a wrong CRC.
    bool badCrc = false;
    //! Send only the first this many bytes of every answer; negative sends it whole.
    int truncateTo = -1;

    //! The answer as it goes out: its CRC spoilt and then cut, as chosen.
    QByteArray shape(const QByteArray &answer) const;
    //! The chosen faults in words, empty when there are none.
    QString summary() const;
};

} // namespace lcdsim
