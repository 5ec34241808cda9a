#pragma once

#include <QVBoxLayout>
#include <QWidget>

namespace orvane {

class HeadingLabel;

// One section of the details sheet: its upper-case title, read as a heading, over its content,
// 12 pixels apart, across the full width. No border or fill of its own.
class DetailsSection : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 12;

    DetailsSection(const QString& title, bool increasedContrast, QWidget* parent);

    HeadingLabel* titleLabel() const { return m_title; }
    // Where the content goes, below the title.
    QVBoxLayout* content() const { return m_layout; }
    bool increasedContrast() const { return m_increasedContrast; }

private:
    HeadingLabel* m_title;
    QVBoxLayout* m_layout;
    bool m_increasedContrast;
};

} // namespace orvane
