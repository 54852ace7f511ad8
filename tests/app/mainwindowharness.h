#pragma once

#include "frmmain.h"
#include "serialdevice.h"

#include <QComboBox>
#include <QString>
#include <QStringList>

#include <memory>

class QAbstractButton;

/*! \brief Stands in for the serial device: remembers what was opened and can be told to fail. */
class FakeSerialDevice : public SerialDevice
{
public:
    struct Record
    {
        QString openedPath;
        QString openedSettings;
        int opens = 0;
        int closes = 0;
        bool failOpen = false;
        bool failClose = false;
        bool open = false;
    };

    explicit FakeSerialDevice(std::shared_ptr<Record> record) : m_record(std::move(record)) {}

    void open(const QString &path, const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_record->open; }
    void setRts(bool) override {}
    void write(const QByteArray &) override {}
    void drain() override {}
    int bytesWaiting() override { return 0; }
    QByteArray readAll() override { return {}; }

private:
    std::shared_ptr<Record> m_record;
};

/*! \brief Collects message box texts instead of showing modal boxes, while it lives. */
class MessageCatcher
{
public:
    MessageCatcher();
    ~MessageCatcher();
    MessageCatcher(const MessageCatcher &) = delete;
    MessageCatcher &operator=(const MessageCatcher &) = delete;

    QStringList texts;
};

//! What the connection state looks like from outside.
struct ConnectionLook
{
    QString caption;
    bool settingsEnabled = false;
    bool command05Enabled = false;
    bool command06Enabled = false;
    bool command16Enabled = false;
    bool portOpen = false;

    bool operator==(const ConnectionLook &other) const;
};
char *toString(const ConnectionLook &look);

ConnectionLook connectionLook(frmMain &window);
ConnectionLook disconnectedLook();
ConnectionLook connectedLook();

//! A choice from the drop-down list, as Qt reports one: the entry becomes current, then activated.
void userChooses(QComboBox *combo, int index);

//! A left click in the middle of the button.
void userClicks(QAbstractButton *button);

//! Clicks "Config LCD" on the menu bar.
void userChoosesConfigLcd(frmMain &window);

//! The named child control; null when there is none.
template <typename T> T *control(frmMain &window, const char *name)
{
    return window.findChild<T *>(QString::fromLatin1(name));
}
