#pragma once

#include <QByteArray>
#include <QString>

class QRandomGenerator;

namespace lcdsim {

/*! \brief Faults the simulated display or its line can be told to show, so a master's error
 * paths can be tried. */
struct Misbehaviour
{
    //! Never answer.
    bool silent = false;
    //! Hold every answer back this long.
    int delayMs = 0;
    /*! Send the first half of every answer, then the rest this long after, as a USB adapter that
     * hands bytes on in bursts delivers them. */
    int splitMs = 0;
    //! Send answers with a wrong CRC.
    bool badCrc = false;
    //! Send only the first this many bytes of every answer; negative sends it whole.
    int truncateTo = -1;
    /*! Send every byte from the master straight back to it, as a two-wire adapter without
     * echo suppression does. */
    bool echo = false;
    //! The chance, from 0 to 1, that an answer byte arrives with one bit flipped.
    double noise = 0;
    //! Where the noise starts, so that a run can be repeated.
    quint32 noiseSeed = 0;

    //! The answer as it goes out: its CRC spoilt and then cut, as chosen.
    QByteArray shape(const QByteArray &answer) const;
    /*! Flips one bit, chosen by random, in each byte that the noise hits; returns how many it
     * hit. */
    int addNoise(QByteArray *bytes, QRandomGenerator &random) const;
    //! The chosen faults in words, empty when there are none.
    QString summary() const;
};

} // namespace lcdsim
