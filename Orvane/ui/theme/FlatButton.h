#pragma once

#include "ui/theme/OrvaneButtonStyles.h"

#include <QAbstractButton>
#include <QVariantAnimation>

namespace orvane {

// A row button of the details sheet in the flat style: full width, at least 40 pixels tall, its
// title centred, and the keyboard focus ring of radius 6. A destructive button's title is red.
// The title is drawn as given: never markup, and "&" is no mnemonic.
class FlatButton final : public QAbstractButton {
    Q_OBJECT

public:
    FlatButton(const QString& title, QWidget* parent);

    const QString& title() const { return m_title; }
    void setTitle(const QString& title);
    void setDestructive(bool destructive);
    // The look; reduce motion turns off press scaling and its animation.
    void setStyle(OrvaneFlatButtonStyle style);
    const OrvaneFlatButtonStyle& buttonStyle() const { return m_style; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void animatePress(bool down);

    QString m_title;
    bool m_destructive = false;
    OrvaneFlatButtonStyle m_style;
    qreal m_pressAmount = 0; // 0 released, 1 pressed; eased between while animating
    QVariantAnimation m_pressAnimation;
};

} // namespace orvane
