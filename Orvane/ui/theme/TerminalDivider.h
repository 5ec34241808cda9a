#pragma once

#include <QWidget>

namespace orvane {

// A 1-pixel line of white at 0.12 across the full width; a separator, not content.
class TerminalDivider final : public QWidget {
    Q_OBJECT

public:
    explicit TerminalDivider(QWidget* parent = nullptr);

    static QColor color();
    // Draws the line along the top of `rect`.
    static void paint(QPainter& painter, const QRectF& rect);

    QSize sizeHint() const override { return {0, 1}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace orvane
