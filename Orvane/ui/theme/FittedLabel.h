#pragma once

#include "ui/theme/FittedText.h"

#include <QColor>
#include <QWidget>

namespace orvane {

// One line of plain text that shrinks to fit its width, never below the theme's smallest type, and
// is elided when even that is too wide: the subtitle under the primary card, the label column of the
// detail rows. The text is also its accessible name until the owner names it otherwise; while it is
// elided the whole text is its tooltip and accessible description.
class FittedLabel final : public QWidget {
    Q_OBJECT

public:
    FittedLabel(const QFont& font, qreal tracking, qreal minimumScale, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return m_text.text; }
    void setColor(const QColor& color);
    const QColor& color() const { return m_color; }
    void setAlignment(Qt::Alignment alignment);
    // The accessible description while the whole text shows.
    void setHint(const QString& hint);
    qreal scale() const { return m_text.scaleFor(width()); }
    bool elided() const { return !m_text.fits(width()); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void describe();

    FittedText m_text;
    QColor m_color;
    QString m_hint;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};

} // namespace orvane
