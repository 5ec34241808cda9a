#include "ui/details/ToolsGrid.h"

#include "ui/details/DetailsTools.h"

#include <QGridLayout>
#include <QResizeEvent>

namespace orvane {

ToolsGrid::ToolsGrid(QWidget* parent) : QWidget(parent)
{
    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setHorizontalSpacing(DetailsTools::spacing);
    m_layout->setVerticalSpacing(DetailsTools::spacing);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ToolsGrid::addButton(QWidget* button)
{
    m_buttons.push_back(button);
    arrange(std::max(1, m_columns));
}

void ToolsGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int columns = DetailsTools::columnCount(event->size().width());
    if (columns != m_columns)
        arrange(columns);
}

void ToolsGrid::arrange(int columns)
{
    for (QWidget* button : m_buttons)
        m_layout->removeWidget(button);
    for (int c = 0; c < m_layout->columnCount(); ++c)
        m_layout->setColumnStretch(c, 0);
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_layout->addWidget(m_buttons[i], int(i) / columns, int(i) % columns);
    for (int c = 0; c < columns; ++c)
        m_layout->setColumnStretch(c, 1);
    m_columns = columns;
}

} // namespace orvane
