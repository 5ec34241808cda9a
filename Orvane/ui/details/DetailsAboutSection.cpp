#include "ui/details/DetailsAboutSection.h"

#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsLook.h"
#include "ui/details/HeadingLabel.h"
#include "ui/theme/OrvaneTheme.h"

#include <QLabel>

namespace orvane {

QString DetailsAboutSection::versionText(const BundleInfo& bundle)
{
    const QString missing = QStringLiteral("—");
    return bundle.shortVersion.value_or(missing) + QStringLiteral(" (") + bundle.buildVersion.value_or(missing)
        + QStringLiteral(")");
}

DetailsAboutSection::DetailsAboutSection(const BundleInfo& bundle, bool increasedContrast, QWidget* parent)
    : DetailsSection(QStringLiteral("ABOUT"), increasedContrast, parent)
{
    const QColor secondary = DetailsLook::secondaryColor(increasedContrast);
    auto* stack = new QVBoxLayout;
    stack->setSpacing(14);
    content()->addLayout(stack);

    const auto paragraph = [&](const QString& text) {
        stack->addWidget(DetailsLook::text(text, DetailsLook::rowFont(), secondary, this));
    };
    const auto subHeading = [&](const QString& text) {
        stack->addWidget(new HeadingLabel(text, OrvaneTheme::tracked(OrvaneTheme::labelFont(), 1.2), secondary, this));
    };

    m_version = new DetailRowList(increasedContrast, spacing, this);
    m_version->setRows({{QStringLiteral("Version"), versionText(bundle)}});
    stack->addWidget(m_version);
    paragraph(QStringLiteral("Orvane is a local Stage 1 Technic companion. It prepares reversible settings and opens "
                             "official Technic. Orvane never launches Minecraft or presses Play."));
    m_disclaimer = DetailsLook::text(
        QStringLiteral("NOT AN OFFICIAL MINECRAFT PRODUCT. NOT APPROVED BY OR ASSOCIATED WITH MOJANG OR MICROSOFT."),
        DetailsLook::rowFont(QFont::DemiBold), OrvaneTheme::textPrimary(), this);
    m_disclaimer->setAccessibleName(
        QStringLiteral("Not an official Minecraft product. Not approved by or associated with Mojang or Microsoft."));
    stack->addWidget(m_disclaimer);
    paragraph(QStringLiteral("Orvane is not affiliated with, endorsed by, or approved by Technic, Forge, or the Tekkit "
                             "team. A genuine paid Minecraft account is required."));
    subHeading(QStringLiteral("PRIVACY"));
    paragraph(QStringLiteral("Orvane runs locally. It reads Mac capability data and selected Technic/Tekkit files. It "
                             "saves your selected instance, approved configuration overlays, local backups, and "
                             "redacted diagnostics on this Mac. It includes no analytics or cloud sync and does not "
                             "upload worlds or diagnostics."));
    subHeading(QStringLiteral("SUPPORT & UPDATES"));
    paragraph(QStringLiteral("Updates are manual. Orvane only contacts the release site when you press Check for "
                             "Updates. It never installs an update automatically."));
    paragraph(QStringLiteral("For support, run Diagnostics in Tools. Reports stay local and are redacted. Share one only "
                             "if you choose."));
}

} // namespace orvane
