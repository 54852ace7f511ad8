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
