#include "captionfit.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>

namespace {

//! The caption's width in pixels, the wider of this system's rendering and a fully hinted one.
int captionWidth(const QFont &font, const QString &caption)
{
    QFont hinted = font;
    hinted.setHintingPreference(QFont::PreferFullHinting);
    return std::max(QFontMetrics(font).horizontalAdvance(caption),
                    QFontMetrics(hinted).horizontalAdvance(caption));
}

//! The room a check box or option button leaves its caption beside the indicator.
int buttonRoom(const QAbstractButton &button, QStyle::SubElement contents)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return button.style()->subElementRect(contents, &option, &button).width();
}

} // namespace

QStringList clippedCaptions(const QWidget &window)
{
    QStringList clipped;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        QString caption;
        int room = 0;
        if (const auto *label = qobject_cast<const QLabel *>(control)) {
            caption = label->text();
            room =
                label->contentsRect().width() - 2 * label->margin() - std::max(0, label->indent());
        } else if (const auto *box = qobject_cast<const QCheckBox *>(control)) {
            caption = box->text();
            room = buttonRoom(*box, QStyle::SE_CheckBoxContents);
        } else if (const auto *option = qobject_cast<const QRadioButton *>(control)) {
            caption = option->text();
            room = buttonRoom(*option, QStyle::SE_RadioButtonContents);
        }
        if (caption.isEmpty())
            continue;
        const int needed = captionWidth(control->font(), caption);
        if (needed > room)
            clipped.append(QStringLiteral("%1: \"%2\" needs %3 px, has %4")
                               .arg(control->objectName(), caption)
                               .arg(needed)
                               .arg(room));
    }
    return clipped;
}

QString captionFamily(const QWidget &window)
{
    return QFontInfo(window.font()).family();
}
