#pragma once

#include <QList>
#include <QWidget>

namespace orvane {

// A row of chips in the label font: "BALANCED / JAVA 8 / ROSETTA", or the DIRECT badge. An active chip
// is primary text; an inactive one tertiary, or white at 0.78 with increased contrast. One accessible
// element with a summary label.
class ReadinessChips final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal tracking = 1.2;
    static constexpr int spacing = 10;

    struct Chip {
        QString text;
        bool active = false;
        bool separator = false; // a "/" in the tertiary colour

        bool operator==(const Chip&) const = default;
    };

    explicit ReadinessChips(QWidget* parent = nullptr);

    void setChips(const QList<Chip>& chips, bool increasedContrast, const QString& accessibleLabel);
    const QList<Chip>& chips() const { return m_chips; }
    QColor colorOf(const Chip& chip) const;
    static QColor inactiveColor(bool increasedContrast);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<Chip> m_chips;
    bool m_increasedContrast = false;
};

} // namespace orvane
