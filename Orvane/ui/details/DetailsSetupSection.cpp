#include "ui/details/DetailsSetupSection.h"

#include "model/AppModel.h"
#include "ui/details/DetailsLook.h"
#include "ui/details/DetailsOperations.h"
#include "ui/theme/FlatButton.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TextButton.h"

#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace orvane {

namespace {

// Every link the checklist can show on this host, in its order; refresh() shows those still needed.
std::vector<SetupChecklist::Link> allLinks(const QString& hostArchitecture)
{
    CapabilityReport noRosetta;
    return SetupChecklist::links(std::nullopt, noRosetta, false, hostArchitecture);
}

} // namespace

DetailsSetupSection::DetailsSetupSection(const AppModel& model, DetailsOperations& operations, bool increasedContrast,
                                         QWidget* parent)
    : DetailsSection(QStringLiteral("SETUP REQUIRED"), increasedContrast, parent), m_model(model), m_operations(operations)
{
    const QColor link = OrvaneTheme::palette().color(QPalette::Link);
    for (const auto& entry : allLinks(m_model.seams().environment.hostArchitecture)) {
        auto* button = new TextButton(entry.title, DetailsLook::rowFont(), 0, this);
        button->setColors(link, OrvaneTheme::textTertiary());
        button->setAlignment(Qt::AlignLeft);
        OrvaneKeyboardFocus::attach(button, 4);
        connect(button, &QAbstractButton::clicked, this, [this, address = entry.address] { Q_EMIT linkActivated(address); });
        content()->addWidget(button, 0, Qt::AlignLeft);
        m_links.push_back({entry, button});
    }

    m_warning = DetailsLook::text(QString(), OrvaneTheme::bodyFont(), OrvaneTheme::amber(), this);
    content()->addWidget(m_warning);

    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_choose = new FlatButton(QStringLiteral("Choose instance…"), this);
    m_recheck = new FlatButton(QStringLiteral("Recheck"), this);
    row->addWidget(m_choose);
    row->addWidget(m_recheck);
    content()->addLayout(row);
    connect(m_choose, &QAbstractButton::clicked, this, &DetailsSetupSection::chooseInstanceRequested);
    connect(m_recheck, &QAbstractButton::clicked, this, [this] { m_operations.performInitialInspection(); });
    refresh();
}

void DetailsSetupSection::refresh()
{
    setVisible(m_model.requiredSetupStep().has_value());
    const auto needed = SetupChecklist::links(m_model.inspection(), m_model.capability(), m_model.launcherJavaReady(),
                                              m_model.seams().environment.hostArchitecture);
    for (auto& entry : m_links)
        entry.button->setVisible(std::find(needed.begin(), needed.end(), entry.link) != needed.end());
    const auto line = SetupChecklist::warningLine(m_model.handoffReadiness());
    m_warning->setVisible(line.has_value());
    m_warning->setText(line.value_or(QString()));
    m_recheck->setEnabled(!m_model.busy());
}

std::vector<TextButton*> DetailsSetupSection::shownLinks() const
{
    std::vector<TextButton*> result;
    for (const auto& entry : m_links)
        if (!entry.button->isHidden())
            result.push_back(entry.button);
    return result;
}

} // namespace orvane
