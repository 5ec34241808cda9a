#include "ui/details/DetailRowList.h"

#include "ui/details/DetailsLook.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/OrvaneTheme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orvane {

DetailRowList::DetailRowList(bool increasedContrast, int rowSpacing, QWidget* parent)
    : QWidget(parent), m_increasedContrast(increasedContrast)
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(rowSpacing);
}

void DetailRowList::setRows(const DetailRowTexts& rows)
{
    while (m_rows.size() > rows.size()) {
        delete m_rows.back().widget;
        m_rows.pop_back();
    }
    while (m_rows.size() < rows.size()) {
        auto* widget = new QWidget(this);
        auto* line = new QHBoxLayout(widget);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(labelSpacing);
        auto* label = new FittedLabel(DetailsLook::rowFont(), 0, 1, widget);
        label->setColor(DetailsLook::secondaryColor(m_increasedContrast));
        label->setAlignment(Qt::AlignLeft);
        label->setFixedWidth(labelWidth);
        // Both texts share one font and start at the top, so their first baselines line up.
        auto* value = DetailsLook::text(QString(), DetailsLook::rowFont(), OrvaneTheme::textPrimary(), widget, true);
        value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        line->addWidget(label, 0, Qt::AlignTop);
        line->addWidget(value, 1, Qt::AlignTop);
        m_layout->addWidget(widget);
        widget->show(); // rows added while the sheet is open would otherwise stay hidden
        m_rows.push_back({widget, label, value});
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        m_rows[i].label->setText(rows[i].label);
        m_rows[i].value->setText(rows[i].value);
        // An empty value is still a selectable (so focusable) label: name it after its row. Set only
        // when it changes, as each setting tells assistive technology the name changed.
        const QString name = rows[i].value.isEmpty() ? rows[i].label : QString();
        if (m_rows[i].value->accessibleName() != name)
            m_rows[i].value->setAccessibleName(name);
    }
}

DetailRowTexts DetailRowList::shownRows() const
{
    DetailRowTexts result;
    for (const auto& row : m_rows)
        result.push_back({row.label->text(), row.value->text()});
    return result;
}

QLabel* DetailRowList::valueLabel(int index) const
{
    return index >= 0 && std::size_t(index) < m_rows.size() ? m_rows[std::size_t(index)].value : nullptr;
}

} // namespace orvane
