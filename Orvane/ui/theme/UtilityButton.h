#pragma once

#include "ui/theme/OrvaneButtonStyles.h"
#include "ui/theme/OrvaneSymbols.h"

#include <QAbstractButton>

namespace orvane {

// A square icon button in the utility style: the Details button of the window's header.
class UtilityButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int side = 42;
    static constexpr qreal symbolSize = 15;

    explicit UtilityButton(OrvaneSymbol symbol, QWidget* parent = nullptr);

    void setStyle(OrvaneUtilityButtonStyle style);
    const OrvaneUtilityButtonStyle& buttonStyle() const { return m_style; }

    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    OrvaneSymbol m_symbol;
    OrvaneUtilityButtonStyle m_style;
};

} // namespace orvane
