#pragma once

namespace orvane {

// Exposes the pack menu as Qt exposes its own menus: while it is open, the pack button's one child
// is a popup menu whose entries are menu items, each named and pressable, so that a screen reader
// reaches "Choose instance…" from the window it belongs to. (A popup is no child of the application
// in Qt's tree; without this it would hang below nothing.) Safe to call more than once.
void installPackMenuAccessibility();

} // namespace orvane
