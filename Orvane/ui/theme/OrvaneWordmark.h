#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

namespace orvane {

// The product's two-character short mark, "oR", in white pixel blocks on a 15 × 7 grid: a lower-case
// o of 5 rows standing on the baseline in columns 0–6, and an R of 7 rows in columns 8–14. One
// accessible element, "orvane".
class OrvaneWordmark final : public QWidget {
    Q_OBJECT

public:
    static constexpr int columns = 15;
    static constexpr int rows = 7;
    // Row values, top first; bit 6 (64) is the leftmost of 7 columns.
    static constexpr std::array<std::uint8_t, 5> first{62, 99, 99, 99, 62};
    static constexpr std::array<std::uint8_t, 7> second{126, 99, 99, 126, 108, 102, 99};

    explicit OrvaneWordmark(qreal pixel = 4, QWidget* parent = nullptr);

    qreal pixel() const { return m_pixel; }
    // Whether grid cell (column, row) is filled.
    static bool isFilled(int column, int row);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_pixel;
};

} // namespace orvane
