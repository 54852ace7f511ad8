#pragma once

#include <QStringList>

class QWidget;

/*! The static captions of \a window (labels, check boxes, option buttons) that do not fit the
 * room their fixed size leaves beside margins and indicators, each as "name: "caption" needs N
 * px, has M". The text is measured twice: as this system draws the font, and with full hinting,
 * as Windows draws Tahoma at 8.25 pt, whose hinted glyphs are wider. Labels without text (the
 * monitor fields) are left out. */
QStringList clippedCaptions(const QWidget &window);

//! The family the captions of \a window are drawn in, as the font database resolves it.
QString captionFamily(const QWidget &window);
