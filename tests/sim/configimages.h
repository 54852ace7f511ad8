#pragma once

#include <QByteArray>

// Configuration images the simulator tests send, each with its checksum worked out.

//! Empty messages, ID 1, 9600 8N1, nothing on the start-up screens, widths 5.
inline QByteArray defaultImage()
{
    return QByteArray(96, ' ') + QByteArray::fromHex("24C0010000000000000505EF1100");
}

//! Message 1 "HELLO", ID 7, 19200 8N2, points 2/1, starts 3/0, screens Message 1/None, widths 4/5.
inline QByteArray helloImage()
{
    return QByteArray("HELLO") + QByteArray(91, ' ') +
           QByteArray::fromHex("12C2070201030001000405BF4100");
}
