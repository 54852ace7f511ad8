#include "combolist.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

// Editable lists whose value is the position of an entry picked from the list, never typed text.
class TestComboList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedTextIsNeverAChoice_data();
    void typedTextIsNeverAChoice();
    void keyboardPickAfterTypingIsAChoice();
    void programChoiceRunsNoHandler_data();
    void programChoiceRunsNoHandler();

private:
    std::unique_ptr<QWidget> m_window;
    QComboBox *m_list = nullptr;
    QLineEdit *m_elsewhere = nullptr;
};

void TestComboList::init()
{
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_list = new QComboBox(m_window.get());
    m_elsewhere = new QLineEdit(m_window.get());
    layout->addWidget(m_list);
    layout->addWidget(m_elsewhere);
    combolist::setUp(m_list);
    for (int i = 1; i <= 20; ++i)
        m_list->addItem(QString::number(i));
    combolist::choose(m_list, 2);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestComboList::cleanup()
{
    m_window.reset();
}

void TestComboList::typedTextIsNeverAChoice_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("ending");

    for (const char *typed : {"7", "20", "99", "x"}) {
        for (const char *ending : {"Return", "Enter", "focus loss"}) {
            QTest::addRow("%s, %s", typed, ending)
                << QString::fromLatin1(typed) << QString::fromLatin1(ending);
        }
    }
}

void TestComboList::typedTextIsNeverAChoice()
{
    QFETCH(QString, typed);
    QFETCH(QString, ending);

    QVERIFY(m_list->isEditable());
    QVERIFY(!m_list->completer());
    QCOMPARE(combolist::position(m_list), 2);

    QSignalSpy activated(m_list, &QComboBox::activated);
    m_list->setFocus();
    m_list->lineEdit()->selectAll();
    QTest::keyClicks(m_list, typed);
    if (ending == QLatin1String("Return"))
        QTest::keyClick(m_list, Qt::Key_Return);
    else if (ending == QLatin1String("Enter"))
        QTest::keyClick(m_list, Qt::Key_Enter, Qt::KeypadModifier);
    else
        m_elsewhere->setFocus();

    QCOMPARE(activated.count(), 0);
    QCOMPARE(m_list->count(), 20);
    QCOMPARE(m_list->currentText(), typed);
    QCOMPARE(combolist::position(m_list), -1);
}

void TestComboList::keyboardPickAfterTypingIsAChoice()
{
    QSignalSpy activated(m_list, &QComboBox::activated);
    m_list->setFocus();
    m_list->lineEdit()->selectAll();
    QTest::keyClicks(m_list, QStringLiteral("15"));
    QCOMPARE(combolist::position(m_list), -1);

    QTest::keyClick(m_list, Qt::Key_Down);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(combolist::position(m_list), 3);
    QCOMPARE(m_list->currentText(), QStringLiteral("4"));
}

void TestComboList::programChoiceRunsNoHandler_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("first") << 0;
    QTest::newRow("last") << 19;
    QTest::newRow("none") << -1;
}

void TestComboList::programChoiceRunsNoHandler()
{
    QFETCH(int, position);
    QSignalSpy activated(m_list, &QComboBox::activated);
    QSignalSpy changed(m_list, &QComboBox::currentIndexChanged);

    m_list->setFocus();
    m_list->lineEdit()->selectAll();
    QTest::keyClicks(m_list, QStringLiteral("abc"));
    combolist::choose(m_list, position);

    QCOMPARE(activated.count(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(combolist::position(m_list), position);
    QCOMPARE(m_list->currentIndex(), position);
}

QTEST_MAIN(TestComboList)
#include "tst_combolist.moc"
