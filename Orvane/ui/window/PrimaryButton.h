#pragma once

#include "ui/theme/OrvaneButtonStyles.h"
#include "ui/theme/OrvaneSymbols.h"

#include <QAbstractButton>

namespace orvane {

// The large primary button: its title in the large monospaced type, shrinking to fit, and a symbol at
// the right, on the Brutalist panel. The whole rect is the hit target.
class PrimaryButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 42;
    static constexpr int minimumHeight = 106;
    static constexpr int spacing = 24;
    static constexpr int minimumGap = 12;
    static constexpr qreal symbolSize = 27;
    static constexpr qreal titleTracking = 4;
    static constexpr qreal titleMinimumScale = 0.55;
    static constexpr qreal focusCornerRadius = 10;

    explicit PrimaryButton(QWidget* parent = nullptr);

    // The title is drawn as given; "&" is no mnemonic.
    void setTitle(const QString& title);
    const QString& title() const { return m_title; }
    void setSymbol(OrvaneSymbol symbol);
    OrvaneSymbol symbol() const { return m_symbol; }
    void setStyle(OrvaneBrutalistPrimaryButtonStyle style);
    const OrvaneBrutalistPrimaryButtonStyle& buttonStyle() const { return m_style; }

    // The rect the title is drawn in.
    QRectF titleRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_title;
    OrvaneSymbol m_symbol = OrvaneSymbol::arrowUpForward;
    OrvaneBrutalistPrimaryButtonStyle m_style;
};

} // namespace orvane
