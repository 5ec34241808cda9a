#pragma once

#include <QColor>
#include <QWidget>

namespace orvane {

// Any text drawn in the 5 × 7 pixel font, upper case, one square of side `pixel` per set bit, centred
// in the widget. Its accessible name is the text as given, not its upper-case form.
class PixelHeading final : public QWidget {
    Q_OBJECT

public:
    explicit PixelHeading(const QString& text, qreal pixel = 2, QColor color = {}, int tracking = 1,
                          QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    qreal pixel() const { return m_pixel; }
    const QColor& color() const { return m_color; }
    int tracking() const { return m_tracking; }
    void setText(const QString& text);

    // (n × 5 + (n − 1) × tracking) × pixel by 7 × pixel for the n characters of the upper-cased text;
    // an empty text is 0 wide.
    static QSizeF measure(const QString& text, qreal pixel, int tracking);
    // Draws the upper-cased text with its top-left corner at `origin`.
    static void paint(QPainter& painter, QPointF origin, const QString& text, qreal pixel, const QColor& color,
                      int tracking);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    qreal m_pixel;
    QColor m_color;
    int m_tracking;
};

} // namespace orvane
