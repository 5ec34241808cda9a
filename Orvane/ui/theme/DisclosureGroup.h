#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QWidget>

class QVBoxLayout;

namespace orvane {

// A disclosure group's title: a keyboard-focusable toggle with a disclosure triangle, drawn in the
// label font. Checked means expanded; assistive technology reads it as an expandable button (not a
// check box), expanded or collapsed.
class DisclosureToggle final : public QAbstractButton {
    Q_OBJECT

public:
    DisclosureToggle(const QColor& color, QWidget* parent);

    void setTitle(const QString& title);
    const QString& title() const { return m_title; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    QString m_title;
};

// A titled group whose content shows only when expanded; it starts collapsed.
class DisclosureGroup final : public QWidget {
    Q_OBJECT

public:
    DisclosureGroup(const QColor& color, QWidget* parent);

    void setTitle(const QString& title);
    QString title() const;
    DisclosureToggle* toggle() const { return m_toggle; }
    QWidget* body() const { return m_body; }
    QVBoxLayout* bodyLayout() const { return m_bodyLayout; }
    bool isExpanded() const;
    void setExpanded(bool expanded);

private:
    DisclosureToggle* m_toggle;
    QWidget* m_body;
    QVBoxLayout* m_bodyLayout;
};

} // namespace orvane
