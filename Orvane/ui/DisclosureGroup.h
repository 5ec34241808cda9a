#pragma once

#include <QAbstractButton>
#include <QWidget>

class QVBoxLayout;

namespace orvane {

// A titled group whose content shows only when expanded; it starts collapsed. The title is a
// keyboard-focusable toggle with a disclosure triangle, drawn in the label font.
class DisclosureGroup final : public QWidget {
    Q_OBJECT

public:
    DisclosureGroup(const QColor& color, QWidget* parent);

    void setTitle(const QString& title);
    QString title() const;
    QAbstractButton* toggle() const { return m_toggle; }
    QWidget* body() const { return m_body; }
    QVBoxLayout* bodyLayout() const { return m_bodyLayout; }
    bool isExpanded() const;
    void setExpanded(bool expanded);

private:
    QAbstractButton* m_toggle;
    QWidget* m_body;
    QVBoxLayout* m_bodyLayout;
};

} // namespace orvane
