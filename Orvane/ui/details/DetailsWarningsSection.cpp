#include "ui/details/DetailsWarningsSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailsLook.h"
#include "ui/details/InstallDetails.h"
#include "ui/theme/OrvaneTheme.h"

#include <QStringList>

namespace orvane {

DetailsWarningsSection::DetailsWarningsSection(const AppModel& model, bool increasedContrast, QWidget* parent)
    : DetailsSection(QStringLiteral("WARNINGS"), increasedContrast, parent), m_model(model)
{
    refresh();
}

void DetailsWarningsSection::refresh()
{
    auto warnings = InstallDetails::warnings(m_model.inspection());
    setVisible(!warnings.empty());
    if (warnings == m_warnings)
        return;
    for (QLabel* line : m_lines)
        delete line;
    m_lines.clear();
    for (const QString& warning : warnings) {
        m_lines.push_back(DetailsLook::text(QStringLiteral("• ") + warning, OrvaneTheme::bodyFont(), OrvaneTheme::amber(), this));
        content()->addWidget(m_lines.back());
        m_lines.back()->show(); // lines added while the sheet is open would otherwise stay hidden
    }
    m_warnings = std::move(warnings);
}

QStringList DetailsWarningsSection::shownLines() const
{
    QStringList result;
    for (const QLabel* line : m_lines)
        result << line->text();
    return result;
}

} // namespace orvane
