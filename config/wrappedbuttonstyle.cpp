#include "wrappedbuttonstyle.h"

#include <QStyleOptionButton>

void WrappedButtonStyle::drawControl(ControlElement element, const QStyleOption *option,
                                     QPainter *painter, const QWidget *widget) const
{
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element != CE_PushButtonLabel || !button || !button->icon.isNull() ||
        button->fontMetrics.horizontalAdvance(button->text) <= button->rect.width()) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    proxy()->drawItemText(
        painter, button->rect, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
        button->palette, button->state.testFlag(State_Enabled), button->text, QPalette::ButtonText);
}
