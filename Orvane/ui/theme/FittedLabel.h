#pragma once

#include "ui/theme/FittedText.h"

#include <QColor>
#include <QWidget>

namespace orvane {

// One line of plain text that shrinks to fit its width, with an accessible label of its own: the
// subtitle under the primary card.
class FittedLabel final : public QWidget {
    Q_OBJECT

public:
    FittedLabel(const QFont& font, qreal tracking, qreal minimumScale, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return m_text.text; }
    void setColor(const QColor& color);
    const QColor& color() const { return m_color; }
    qreal scale() const { return m_text.scaleFor(width()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FittedText m_text;
    QColor m_color;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};

} // namespace orvane
