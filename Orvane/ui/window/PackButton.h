#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPointer>

namespace orvane {

class PackMenu;

// The wide pack selector: the selected pack's name in title type, its version, and a chevron, on the
// panel fill inside a thin outline. Pressing it opens the pack menu.
class PackButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 42;
    static constexpr int minimumHeight = 86;
    static constexpr int spacing = 28;
    static constexpr int minimumGap = 20;
    static constexpr qreal nameTracking = 2.2;
    static constexpr qreal nameMinimumScale = 0.72;
    static constexpr qreal versionTracking = 1.4;
    static constexpr qreal chevronSize = 18;

    struct Look {
        QString name;    // drawn upper case
        QString version;
        bool ready = false;
        bool increasedContrast = false;

        bool operator==(const Look&) const = default;
    };

    explicit PackButton(QWidget* parent = nullptr);

    void setLook(const Look& look);
    const Look& look() const { return m_look; }
    QColor nameColor() const;
    // White with increased contrast, else the theme's secondary text.
    QColor secondaryColor() const;
    QColor borderColor() const;
    qreal borderWidth() const { return m_look.increasedContrast ? 2 : 1; }
    // The menu the button has open, if any: assistive technology finds it below the button.
    void setMenu(PackMenu* menu) { m_menu = menu; }
    PackMenu* menu() const { return m_menu.data(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Look m_look;
    QPointer<PackMenu> m_menu;
};

} // namespace orvane
