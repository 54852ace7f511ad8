#pragma once

#include <QPixmap>
#include <QScrollBar>

/*! \brief A scroll bar that draws itself again only when it looks different.
 *
 * An item view repaints its scroll bars with itself, and a view that is told of every new row
 * repaints often; the style's scroll bar, drawn with gradients, then costs more than the rows.
 * This one keeps its last picture and shows it again while its size, slider, state and palette
 * are the same: a long list's range grows by one row without moving the slider a pixel. Under the
 * mouse or while dragged it draws as usual, so hover and press feedback stay the style's own.
 */
class CachedScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    using QScrollBar::QScrollBar;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Look
    {
        QSize size;
        QRect slider;
        int state = 0;
        qint64 palette = 0;
        qreal pixelRatio = 0;

        bool operator==(const Look &other) const;
    };

    Look m_drawn;
    QPixmap m_picture;
};
