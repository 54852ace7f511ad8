#pragma once

class QWidget;

/*! \brief The look both windows share: Tahoma 8.25 pt and the grey 32 x 32 icon. */
namespace appearance {

//! Makes Tahoma available where the system lacks it; call once after the application starts.
void registerTahoma();

//! Gives the window and every control in it the shared font and icon.
void apply(QWidget *window);

} // namespace appearance
