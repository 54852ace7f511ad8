#pragma once

#include <QByteArray>
#include <QString>

/*! \brief A real serial line for tests: a pseudo-terminal pair made with openpty.
 *
 * The program opens devicePath() (the slave side) like any serial device; the test plays the
 * far end through the master side: it reads what the program wrote and writes the answer.
 */
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    //! Path of the slave side, for example /dev/pts/5.
    QString devicePath() const { return m_path; }
    //! The master side's descriptor, for a far end that drives it directly (libmodbus).
    int masterFd() const { return m_master; }

    //! Reads what has arrived at the far end, waiting up to timeoutMs for at least minBytes.
    QByteArray readFar(int minBytes, int timeoutMs = 2000);
    //! Sends bytes from the far end towards the program.
    void writeFar(const QByteArray &bytes);
    //! Closes the far end, as when the device is unplugged.
    void closeFar();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
