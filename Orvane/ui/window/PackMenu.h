#pragma once

#include <QAbstractButton>
#include <QList>
#include <QPointer>
#include <QWidget>

namespace orvane {

class TextButton;

// One pack of the menu: its name, and its version in the secondary colour at the right.
class PackRow final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int verticalPadding = 8;
    static constexpr int spacing = 12;

    PackRow(const QString& id, const QString& name, const QString& version, bool increasedContrast,
            QWidget* parent = nullptr);

    const QString& id() const { return m_id; }
    const QString& name() const { return m_name; }
    const QString& version() const { return m_version; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_id;
    QString m_name;
    QString m_version;
    bool m_increasedContrast;
};

// The pack popover: one row per offered pack and, for packs handed to official Technic, a divider and
// "Choose instance…". A popup anchored under the pack button; it closes on a choice, on Escape or on a
// click outside, and says so through `closed`.
class PackMenu final : public QWidget {
    Q_OBJECT

public:
    static constexpr int menuWidth = 280;
    static constexpr int padding = 18;
    static constexpr int spacing = 8;

    struct Entry {
        QString id;
        QString name;
        QString version;
        bool enabled = true;
    };

    PackMenu(const QList<Entry>& packs, bool offerInstanceChoice, bool increasedContrast, QWidget* parent);

    QList<PackRow*> rows() const { return m_rows; }
    TextButton* chooseInstanceButton() const { return m_chooseInstance; }
    // Rows follow the window's busy state while the menu is open; "Choose instance…" never disables.
    void setRowsEnabled(const QList<bool>& enabled);
    // Shows the menu under `anchor`'s bottom edge, centred on it, and focuses the first enabled entry.
    void popUp(QWidget* anchor);
    // The control the menu was opened from: its parent for assistive technology.
    QWidget* anchor() const { return m_anchor.data(); }

Q_SIGNALS:
    void packChosen(const QString& id);
    void chooseInstanceChosen();
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Tells assistive technology that the menu opened or closed below its anchor.
    void announceShown(bool shown);

    QPointer<QWidget> m_anchor;
    QList<PackRow*> m_rows;
    TextButton* m_chooseInstance = nullptr;
    int m_dividerY = -1;
};

} // namespace orvane
