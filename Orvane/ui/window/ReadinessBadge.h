#pragma once

#include <QColor>
#include <QWidget>

namespace orvane {

// The readiness word beside a lit square in the accent colour, over an accent underline. One
// accessible element, "Readiness: " and the word in lower case.
class ReadinessBadge final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal wordTracking = 1.8;
    static constexpr int square = 17;
    static constexpr int rowSpacing = 11;
    static constexpr int stackSpacing = 9;
    static constexpr int underlineWidth = 90;
    // The lit square's glow reaches this far past it; the badge keeps that much room on every side,
    // so the glow is whole, and its layout box (contentRect) lies that much inside the widget.
    static constexpr int glowRadius = 7;

    struct Look {
        QString word;
        QColor accent;
        bool increasedContrast = false;
        bool reduceTransparency = false;

        bool operator==(const Look&) const = default;
    };

    explicit ReadinessBadge(QWidget* parent = nullptr);

    void setLook(const Look& look);
    const Look& look() const { return m_look; }
    static QString accessibleLabel(const QString& word);

    // Geometry inside the badge, for drawing and for tests: the word, square and underline lie in
    // contentRect, which the window lays out as the badge.
    QRect contentRect() const;
    QRectF squareRect() const;
    QRectF underlineRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int underlineHeight() const { return m_look.increasedContrast ? 2 : 1; }

    Look m_look;
};

} // namespace orvane
