#include "combolist.h"

#include <QComboBox>
#include <QLineEdit>

namespace combolist {
namespace {

constexpr char typedOverProperty[] = "pravixTypedOver";

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

} // namespace combolist
