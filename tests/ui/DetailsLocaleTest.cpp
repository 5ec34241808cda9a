#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ui/DetailsFakes.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsBackupsSection.h"
#include "ui/details/DetailsToolsSection.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/FlatButton.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTextLayout>

namespace orvane {
namespace {

// The user's locale for one test; the test main's en_US comes back after it.
class UserLocale final {
public:
    explicit UserLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~UserLocale() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;
};

BackupManifest worldBackup()
{
    BackupManifest m;
    m.id = QStringLiteral("w1");
    m.kind = BackupKind::saves;
    m.instanceRoot = QStringLiteral("/m/tekkit-2");
    m.createdAt = QDateTime(QDate(2026, 12, 10), QTime(17, 6, 8), Qt::UTC);
    m.files = {{QStringLiteral("saves/W/level.dat"), QStringLiteral("/m/tekkit-2/saves/W/level.dat"), QString(64, u'0'), 2'000'000},
               {QStringLiteral("saves/W/r.mca"), QStringLiteral("/m/tekkit-2/saves/W/r.mca"), QString(64, u'0'), 400'000}};
    return m;
}

struct Opened {
    test::TempDir home;
    AppModel model{std::make_shared<test::FakeSession>(), test::testSeams(home.path(), true)};
    std::unique_ptr<DetailsView> sheet;

    Opened()
    {
        AppModelState state = model.state();
        HandoffReadinessReport readiness;
        readiness.setupKind = HandoffSetupKind::ready;
        readiness.canApplyBalanced = true;
        state.handoffReadiness = readiness;
        state.savesBackup = worldBackup();
        model.setStateForTesting(state);
        sheet = std::make_unique<DetailsView>(
            model, std::make_shared<test::RecordingDetailsOperations>(),
            DetailsServices{std::make_shared<test::RecordingUrlOpener>(), std::make_shared<test::RecordingRevealer>(),
                            std::make_shared<test::FakeClipboard>(), std::make_shared<test::ScriptedFolderChooser>(),
                            FileOperations::system()},
            AccessibilitySettings{}, nullptr);
        sheet->show();
        QCoreApplication::processEvents();
    }

    QMessageBox* askToRestoreWorlds()
    {
        sheet->toolsSection()->button(DetailsTool::restoreWorlds)->click();
        return sheet->openConfirmation();
    }
};

const QString kPromptEnd = QStringLiteral("? Other saves files added later are left unchanged. Overlay settings are not changed.");

TEST(DetailsLocale, TheBackupRowAndTheWorldRestorePromptShowDatesAndSizesInTheUsersLocale)
{
    struct Case {
        const char* locale;
        const char16_t* date;
        const char16_t* size;
    };
    const Case cases[] = {
        {"en_US", u"Dec 10, 2026 at 5:06 PM", u"2.4\u00a0MB"},
        {"de_DE", u"10. Dez. 2026 um 17:06", u"2,4\u00a0MB"},
        {"fr_FR", u"10 déc. 2026 à 17:06", u"2,4\u00a0Mo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const UserLocale locale(c.locale);
        Opened opened;
        const QString date = QString::fromUtf16(c.date);
        const QString size = QString::fromUtf16(c.size);
        EXPECT_EQ(opened.sheet->backupsSection()->rows()->shownRows(),
                  (DetailRowTexts{{QStringLiteral("Worlds"),
                                   QStringLiteral("tekkit-2 · ") + date + QStringLiteral(" · 2 files · ") + size}}));
        QMessageBox* box = opened.askToRestoreWorlds();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->informativeText(),
                  QStringLiteral("Restore the 2 files recorded in the verified world backup from ") + date
                      + QStringLiteral(" (") + size + QStringLiteral(")") + kPromptEnd);
        box->reject();
    }
}

TEST(DetailsLocale, TheRestorePromptNeverPartsASizeFromItsUnitAtAnyWidth)
{
    for (const char* name : {"en_US", "de_DE", "fr_FR"}) {
        SCOPED_TRACE(name);
        const UserLocale locale(name);
        Opened opened;
        QMessageBox* box = opened.askToRestoreWorlds();
        ASSERT_NE(box, nullptr);
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_NE(label, nullptr);
        ASSERT_TRUE(label->wordWrap());
        const QString text = label->text();
        const qsizetype open = text.indexOf(u'(');
        const qsizetype close = text.indexOf(u')');
        for (int width = 40; width <= 640; width += 6) {
            QTextLayout layout(text, label->font());
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
                line.setLineWidth(width);
            layout.endLayout();
            EXPECT_EQ(layout.lineForTextPosition(int(open + 1)).lineNumber(),
                      layout.lineForTextPosition(int(close - 1)).lineNumber())
                << "at " << width << " pixels: " << text.mid(open, close - open + 1).toStdString();
        }
        box->reject();
    }
}

} // namespace
} // namespace orvane
