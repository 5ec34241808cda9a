#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

namespace orvane {

// The details sheet's shared text looks.
namespace DetailsLook {

// Section titles, row labels and most content: white under increased contrast, else the theme's
// secondary text colour.
QColor secondaryColor(bool increasedContrast);

// The detail rows' and paragraphs' 12-pixel monospaced text.
QFont rowFont(QFont::Weight weight = QFont::Normal);

// A plain-text label (never markup) in `font` and `color` that wraps; `selectable` lets the mouse
// select its text.
QLabel* text(const QString& content, const QFont& font, const QColor& color, QWidget* parent, bool selectable = false);

void setTextColor(QLabel& label, const QColor& color);
QColor textColor(const QLabel& label);

} // namespace DetailsLook

} // namespace orvane
