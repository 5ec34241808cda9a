#pragma once

#include <QWidget>

#include <vector>

class QGridLayout;

namespace orvane {

// Buttons filling a grid row by row, with as many equal columns of at least 150 pixels, 10 apart,
// as the width allows; 10 pixels between rows.
class ToolsGrid final : public QWidget {
    Q_OBJECT

public:
    explicit ToolsGrid(QWidget* parent);

    void addButton(QWidget* button);
    int columnCount() const { return m_columns; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange(int columns);

    QGridLayout* m_layout;
    std::vector<QWidget*> m_buttons;
    int m_columns = 0;
};

} // namespace orvane
