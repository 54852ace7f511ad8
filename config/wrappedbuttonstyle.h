#pragma once

#include <QProxyStyle>

/*! \brief Breaks a push button's caption into lines when one line is wider than the button.
 *
 * The fixed layout gives "Send Config Data" a button two lines high but narrower than the
 * caption; on one line the caption would be cut off at both ends.
 */
class WrappedButtonStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
