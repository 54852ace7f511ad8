#include "cachedscrollbar.h"

#include <QPainter>
#include <QStyleOptionSlider>

bool CachedScrollBar::Look::operator==(const Look &other) const
{
    return size == other.size && slider == other.slider && state == other.state &&
           palette == other.palette && pixelRatio == other.pixelRatio;
}

void CachedScrollBar::paintEvent(QPaintEvent *event)
{
    if (underMouse() || isSliderDown()) {
        m_picture = QPixmap();
        QScrollBar::paintEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    const Look look{
        size(),
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        int(option.state), palette().cacheKey(), devicePixelRatioF()};
    if (m_picture.isNull() || !(look == m_drawn)) {
        m_picture = QPixmap(size() * look.pixelRatio);
        m_picture.setDevicePixelRatio(look.pixelRatio);
        m_picture.fill(Qt::transparent);
        QPainter painter(&m_picture);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
        m_drawn = look;
    }
    QPainter(this).drawPixmap(0, 0, m_picture);
}
