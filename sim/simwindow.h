#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QTableWidget;

namespace lcdsim {

class LcdPanel;
class LcdSlave;
struct Misbehaviour;

/*! \brief The simulator's window: the LCD, its coils and registers beside it, and the last
 * configuration image in plain words. It only shows; the line is served without it.
 */
class SimWindow : public QWidget
{
    Q_OBJECT

public:
    SimWindow(LcdSlave &slave, const QString &devicePath, const Misbehaviour &misbehaviour,
              QWidget *parent = nullptr);

    //! The last configuration in words, as shown.
    QString setupText() const;
    const LcdPanel &panel() const { return *m_panel; }

private:
    void refresh();
    void showStatus();

    LcdSlave &m_slave;
    QString m_devicePath;
    QString m_faults;
    QLabel *m_status = nullptr;
    LcdPanel *m_panel = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_setup = nullptr;
};

} // namespace lcdsim
