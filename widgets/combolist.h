#pragma once

#include <functional>

class QComboBox;

/*! \brief Editable drop-down lists whose value is the position of the chosen entry.
 *
 * Text typed into a list's field is never a choice: the list then has no chosen entry
 * (position -1) until an entry is picked from the list again, and typing runs no handler.
 */
namespace combolist {

//! Makes the combo box editable, without completion or insertion, and tracks typing.
void setUp(QComboBox *combo);

//! Zero-based position of the chosen entry, or -1 when none is chosen or the text was typed over.
int position(const QComboBox *combo);

//! Chooses an entry by program (no handler runs); -1 chooses none.
void choose(QComboBox *combo, int position);

//! Runs action each time the drop-down list opens, before its entries are drawn.
void whenOpened(QComboBox *combo, std::function<void()> action);

} // namespace combolist
