#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace orvane {

class TextButton;

// Shown in place of the primary button while a launch is watched: the title, a small lime spinner and,
// while a provider operation runs, CANCEL.
class LaunchWatchCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 42;
    static constexpr int minimumHeight = 106;
    static constexpr int spacing = 24;
    static constexpr int minimumGap = 12;
    static constexpr qreal titleTracking = 3.5;
    static constexpr qreal titleMinimumScale = 0.58;
    static constexpr qreal cornerRadius = 10;
    static constexpr int spinnerSize = 16;

    struct Look {
        QString title;
        bool showCancel = false;
        bool cancelEnabled = true;
        bool increasedContrast = false;
        bool reduceTransparency = false;
        bool reduceMotion = false;

        bool operator==(const Look&) const = default;
    };

    explicit LaunchWatchCard(QWidget* parent = nullptr);

    void setLook(const Look& look);
    const Look& look() const { return m_look; }
    TextButton* cancelButton() const { return m_cancel; }
    QColor fill() const;
    qreal borderWidth() const { return m_look.increasedContrast ? 2 : 1; }
    QRectF spinnerRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void cancelRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void place();
    void updateSpinner();

    Look m_look;
    TextButton* m_cancel;
    QBasicTimer m_spin;
    int m_phase = 0;
};

} // namespace orvane
