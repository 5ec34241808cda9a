#pragma once

#include "app/BundleInfo.h"
#include "ui/details/DetailsSection.h"

class QLabel;

namespace orvane {

class DetailRowList;

// ABOUT: the version, what Orvane is and is not, privacy, and how support and updates work.
class DetailsAboutSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsAboutSection(const BundleInfo& bundle, bool increasedContrast, QWidget* parent);

    // "<short version> (<build>)", "—" for a key that is missing.
    static QString versionText(const BundleInfo& bundle);

    DetailRowList* versionRow() const { return m_version; }
    QLabel* disclaimer() const { return m_disclaimer; }

private:
    DetailRowList* m_version;
    QLabel* m_disclaimer;
};

} // namespace orvane
