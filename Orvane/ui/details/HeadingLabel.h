#pragma once

#include <QLabel>

namespace orvane {

// A plain-text label that assistive technology reads as a heading (section titles, sub-headings
// and the sheet's title).
class HeadingLabel final : public QLabel {
    Q_OBJECT

public:
    HeadingLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent);
};

} // namespace orvane
