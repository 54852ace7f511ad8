#pragma once

#include <QString>

#include <functional>

class QWidget;

/*! \brief Every message box of the program: OK only, no icon, the application's title.
 *
 * Tests install a sink so that no test ever waits on a modal dialog.
 */
namespace messagebox {

//! Caption of every message box.
inline const QString applicationTitle = QStringLiteral("PravixApp");

void show(QWidget *parent, const QString &text);
//! The box's text with \a detail as its second line, for a reason and what to do about it.
void show(QWidget *parent, const QString &text, const QString &detail);

using Sink = std::function<void(const QString &text)>;
//! Replaces the modal box; an empty sink brings the box back.
void setSink(Sink sink);

} // namespace messagebox
