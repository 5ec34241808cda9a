#pragma once

#include <QWidget>

namespace orvane {

class PixelHeading;

// A titled card: the title in pixel type over the content, 18 pixels of padding and a square hairline
// border; no fill of its own. The theme offers it; the main window places none.
class OrvaneCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int padding = 18;
    static constexpr int spacing = 12;

    // Takes ownership of `content`.
    OrvaneCard(const QString& title, QWidget* content, QWidget* parent = nullptr);

    PixelHeading* title() const { return m_title; }
    QWidget* content() const { return m_content; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PixelHeading* m_title;
    QWidget* m_content;
};

} // namespace orvane
