#pragma once

// The details sheet over a real model with a fake session, and the sample states its tests show.

#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "support/TempDir.h"
#include "ui/DetailsFakes.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/TextButton.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orvane::test::detailsSheet {

inline InstallInspection certifiedInspection()
{
    InstallInspection i;
    i.technicApp = "/Users/a/Applications/Technic Launcher.app";
    i.technicRoot = "/Users/a/Library/Application Support/technic";
    i.instanceRoot = "/Users/a/Library/Application Support/technic/modpacks/tekkit-2";
    i.packSlug = QStringLiteral("tekkit-2");
    i.packVersion = QStringLiteral("1.2.6");
    i.forgeId = QStringLiteral("1.12.2-forge-14.23.5.2860");
    i.javaRequirement = QStringLiteral("1.8");
    i.runDataMemoryMB = 4096;
    i.settingsMemoryId = 6;
    i.settingsMemoryMB = 6144;
    i.javaVersionSetting = QStringLiteral("default");
    i.useMojangJava = false;
    i.options = {{QStringLiteral("renderDistance"), QStringLiteral("8")}, {QStringLiteral("enableVsync"), QStringLiteral("false")}};
    i.modFileNames = {QStringLiteral("VintageFix.jar"), QStringLiteral("Nothirium.jar"), QStringLiteral("appliedenergistics2.jar")};
    i.hasNothirium = true;
    i.hasVintageFix = true;
    i.isCertifiedPack = true;
    return i;
}

inline InstallInspection uncertifiedInspection()
{
    InstallInspection i;
    i.technicRoot = "/Users/a/Library/Application Support/technic";
    i.instanceRoot = "/Volumes/Archive/Tekkit Old";
    i.packSlug = QStringLiteral("tekkit-2");
    i.packVersion = QStringLiteral("1.2.5");
    i.useMojangJava = true;
    i.hasOptiFine = true;
    i.warnings = {QStringLiteral("bin/version.json is missing.")};
    return i;
}

inline HandoffReadinessReport readiness(HandoffSetupKind kind, bool canApplyBalanced)
{
    HandoffReadinessReport report;
    report.setupKind = kind;
    report.canApplyBalanced = canApplyBalanced;
    return report;
}

inline BackupManifest backupOf(const QString& instanceRoot, std::vector<std::int64_t> sizes)
{
    BackupManifest m;
    m.id = QStringLiteral("b1");
    m.instanceRoot = instanceRoot;
    m.createdAt = QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC);
    for (std::size_t i = 0; i < sizes.size(); ++i)
        m.files.push_back({QString::number(i), QStringLiteral("/f%1").arg(i), QString(64, QLatin1Char('0')), sizes[i]});
    return m;
}

inline QStringList values(const DetailRowTexts& rows)
{
    QStringList result;
    for (const auto& row : rows)
        result << row.value;
    return result;
}

inline QStringList titles(const std::vector<TextButton*>& buttons)
{
    QStringList result;
    for (const auto* button : buttons)
        result << button->label();
    return result;
}

class DetailsViewTest : public ::testing::Test {
protected:
    DetailsViewTest()
        : session(std::make_shared<FakeSession>()), model(session, testSeams(home.path(), javaReady)),
          operations(std::make_shared<RecordingDetailsOperations>()), urls(std::make_shared<RecordingUrlOpener>()), revealer(std::make_shared<RecordingRevealer>()),
          clipboard(std::make_shared<FakeClipboard>()), folders(std::make_shared<ScriptedFolderChooser>())
    {
    }

    DetailsView& open(AccessibilitySettings look = {})
    {
        view = std::make_unique<DetailsView>(model, operations,
                                             DetailsServices{urls, revealer, clipboard, folders, FileOperations::system()},
                                             look, nullptr);
        view->show();
        return *view;
    }

    void setState(const std::function<void(AppModelState&)>& edit)
    {
        AppModelState state = model.state();
        edit(state);
        model.setStateForTesting(state);
        // The model's changed() comes from the event loop, and the sheet's layouts settle after it.
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
    }

    static bool shown(const QWidget* widget) { return widget->isVisibleTo(widget->window()); }

    TempDir home;
    bool javaReady = true;
    std::shared_ptr<FakeSession> session;
    AppModel model;
    std::shared_ptr<RecordingDetailsOperations> operations;
    std::shared_ptr<RecordingUrlOpener> urls;
    std::shared_ptr<RecordingRevealer> revealer;
    std::shared_ptr<FakeClipboard> clipboard;
    std::shared_ptr<ScriptedFolderChooser> folders;
    std::unique_ptr<DetailsView> view;
};

} // namespace orvane::test::detailsSheet
