// Pages and folders the desktop will not open: the details sheet hands each to the model, whose
// status line then holds the address or path for the user to copy.

#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "model/OpenFailureText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ui/DetailsFakes.h"
#include "ui/details/DetailsDiagnosticSection.h"
#include "ui/details/DetailsOperations.h"
#include "ui/details/DetailsSetupSection.h"
#include "ui/details/DetailsStatusSection.h"
#include "ui/details/DetailsUpdatesSection.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/FlatButton.h"
#include "ui/theme/TextButton.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QScrollArea>

#include <functional>

namespace orvane {
namespace {

TEST(OpenFailures, EveryLinkAndTheRevealFallbackThatNothingOpensLeaveTheirAddressInTheStatus)
{
    test::TempDir home;
    // Java not ready and no install found: the checklist shows every link it has.
    AppModel model(std::make_shared<test::FakeSession>(), test::testSeams(home.path(), false));
    auto urls = std::make_shared<test::RecordingUrlOpener>();
    urls->refuse = true;
    // No bus at that address: the revealer falls back to opening the folder, which is refused too.
    auto revealer = FileRevealer::freedesktop(urls, QStringLiteral("unix:path=/nonexistent/orvane-open-failures-bus"));
    DetailsView sheet(model, DetailsOperations::of(model),
                      DetailsServices{urls, revealer, std::make_shared<test::FakeClipboard>(),
                                      std::make_shared<test::ScriptedFolderChooser>(), FileOperations::system()},
                      AccessibilitySettings{}, nullptr);

    ReleaseManifest release;
    release.version = QStringLiteral("1.3.0");
    release.build = 52;
    release.downloadURL = QUrl(QStringLiteral("https://releases.orvane.test/downloads/Orvane 1.3.0.zip"));
    release.releaseNotesURL = QUrl(QStringLiteral("https://releases.orvane.test/notes/1.3.0?from=1.2.0&lang=en"));
    const QString reportFolder = QStringLiteral("/home/a/.local/share/orvane/My Reports");
    AppModelState state = model.state();
    state.initialInspectionCompleted = true;
    state.capability = CapabilityReport{};
    HandoffReadinessReport readiness;
    readiness.setupKind = HandoffSetupKind::installTechnic;
    state.handoffReadiness = readiness;
    state.updateCheckState = UpdateCheckState::available(release);
    state.diagnosticPreview = QStringLiteral("Orvane diagnostic");
    state.diagnosticURL = (reportFolder + QStringLiteral("/orvane-diagnostic-1.json")).toStdString();
    model.setStateForTesting(state);
    sheet.show();
    QCoreApplication::processEvents();

    struct Case {
        QString name;
        QAbstractButton* button;
        std::optional<QString> status; // the exact sentence where the address is fixed here
    };
    std::vector<Case> cases;
    for (TextButton* link : sheet.setupSection()->shownLinks())
        cases.push_back({link->label(), link, std::nullopt});
    ASSERT_EQ(cases.size(), 4u) << "Technic, Tekkit 2, Rosetta 2 and Zulu 8";
    cases.push_back({QStringLiteral("Download"), sheet.updatesSection()->downloadButton(),
                     QStringLiteral("Orvane could not open https://releases.orvane.test/downloads/Orvane%201.3.0.zip. "
                                    "Open it in a browser.")});
    cases.push_back({QStringLiteral("Release notes"), sheet.updatesSection()->releaseNotesButton(),
                     QStringLiteral("Orvane could not open https://releases.orvane.test/notes/1.3.0?from=1.2.0&lang=en. "
                                    "Open it in a browser.")});
    cases.push_back({QStringLiteral("Reveal report"), sheet.diagnosticSection()->revealButton(),
                     QStringLiteral("Orvane could not open the folder /home/a/.local/share/orvane/My Reports.")});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        model.setStateForTesting(state); // the status as it was before
        const std::size_t before = urls->opened.size();
        c.button->click();
        ASSERT_TRUE(test::runEventsUntil([&] { return model.status() != state.status; }, 5000));
        ASSERT_EQ(urls->opened.size(), before + 1);
        const QUrl refused = urls->opened.back();
        EXPECT_EQ(model.status(), c.status.value_or(openFailureText(refused)));
        const QString address = refused.isLocalFile() ? reportFolder : refused.toString(QUrl::FullyEncoded);
        EXPECT_TRUE(model.status().contains(address)) << model.status().toStdString();
        EXPECT_FALSE(model.errorMessage()) << "a page left unopened does not fail the primary action";
        QCoreApplication::processEvents();
        EXPECT_EQ(sheet.statusSection()->statusLabel()->text(), model.status()) << "the sheet shows it";
        EXPECT_TRUE(sheet.statusSection()->statusLabel()->textInteractionFlags() & Qt::TextSelectableByMouse)
            << "and it can be copied from there";
    }

    // The longest address, the Zulu page's, stays inside the sheet rather than widening it.
    sheet.setupSection()->shownLinks().back()->click();
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    ASSERT_GT(model.status().size(), 100);
    const std::filesystem::path folder = std::filesystem::path(ORVANE_TEST_HELPERS_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(sheet.grab().save(QString::fromStdString((folder / "details-status-unopened-address.png").string())));
    EXPECT_LE(sheet.statusSection()->statusLabel()->width(), sheet.scrollArea()->viewport()->width());
}

} // namespace
} // namespace orvane
