#pragma once

#include "ui/details/DetailsSection.h"
#include "ui/details/SetupChecklist.h"

#include <vector>

class QLabel;

namespace orvane {

class AppModel;
class DetailsOperations;
class FlatButton;
class TextButton;

// SETUP REQUIRED: links to the outside pages still needed, the amber quit or archive line, and the
// Choose instance… and Recheck buttons. Shown only while a setup step is pending.
class DetailsSetupSection final : public DetailsSection {
    Q_OBJECT

public:
    DetailsSetupSection(const AppModel& model, DetailsOperations& operations, bool increasedContrast, QWidget* parent);

    void refresh();
    // The link buttons shown now, top to bottom.
    std::vector<TextButton*> shownLinks() const;
    QLabel* warningLine() const { return m_warning; }
    FlatButton* chooseInstanceButton() const { return m_choose; }
    FlatButton* recheckButton() const { return m_recheck; }

Q_SIGNALS:
    // A link was pressed; the sheet opens the page.
    void linkActivated(const QString& address);
    void chooseInstanceRequested();

private:
    struct LinkButton {
        SetupChecklist::Link link;
        TextButton* button;
    };

    const AppModel& m_model;
    DetailsOperations& m_operations;
    std::vector<LinkButton> m_links;
    QLabel* m_warning;
    FlatButton* m_choose;
    FlatButton* m_recheck;
};

} // namespace orvane
