#include "combolist.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

namespace combolist {
namespace {

constexpr char typedOverProperty[] = "pravixTypedOver";

class OpenWatcher : public QObject
{
public:
    OpenWatcher(QObject *parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action))
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            m_action();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

void setUp(QComboBox *combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    // Qt picks the entry matching the typed text when editing finishes (Enter, focus loss)
    // and reports that as a choice; here only a pick from the list is a choice.
    QObject::disconnect(combo->lineEdit(), &QLineEdit::returnPressed, combo, nullptr);
    QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                     [combo] { combo->setProperty(typedOverProperty, true); });
    QObject::connect(combo, &QComboBox::activated, combo,
                     [combo] { combo->setProperty(typedOverProperty, false); });
}

int position(const QComboBox *combo)
{
    if (combo->property(typedOverProperty).toBool())
        return -1;
    return combo->currentIndex();
}

void choose(QComboBox *combo, int position)
{
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(position);
    combo->setProperty(typedOverProperty, false);
}

// The list opens in a popup window of its own, made once and shown each time the list opens.
void whenOpened(QComboBox *combo, std::function<void()> action)
{
    combo->view()->window()->installEventFilter(new OpenWatcher(combo, std::move(action)));
}

} // namespace combolist
