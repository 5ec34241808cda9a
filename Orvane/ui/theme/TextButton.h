#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

namespace orvane {

// A plain text button: RESTORE and CANCEL in the label font, "Choose instance…" in the menu's font.
// Its text is drawn as given: never markup, and "&" is no mnemonic.
class TextButton final : public QAbstractButton {
    Q_OBJECT

public:
    // `text` is also the accessible name until one is set.
    TextButton(const QString& text, const QFont& font, qreal tracking, QWidget* parent = nullptr);

    const QString& label() const { return m_text; }

    // Colours of the text when enabled and when disabled.
    void setColors(const QColor& enabled, const QColor& disabled);
    QColor textColor() const { return isEnabled() ? m_enabledColor : m_disabledColor; }
    void setVerticalPadding(int padding);
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text; // kept apart from QAbstractButton's text, which would make "&" a mnemonic
    QFont m_font;
    QColor m_enabledColor;
    QColor m_disabledColor;
    int m_verticalPadding = 0;
    Qt::Alignment m_alignment = Qt::AlignCenter;
};

} // namespace orvane
