#include "technic/LauncherStartFailure.h"

#include "model/LaunchContractLimits.h"
#include "model/StatusLineText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QTextBoundaryFinder>

using namespace orvane;

namespace {

int graphemeClusters(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

} // namespace

TEST(LauncherStartFailure, OnlyANonZeroStatusOrASignalIsAFailedStart)
{
    EXPECT_FALSE(LauncherStartFailure::isFailure({0, false}));
    EXPECT_TRUE(LauncherStartFailure::isFailure({1, false}));
    EXPECT_TRUE(LauncherStartFailure::isFailure({255, false}));
    EXPECT_TRUE(LauncherStartFailure::isFailure({15, true}));
}

TEST(LauncherStartFailure, TheMessageTellsTheEndAndTheLastErrorLinesOnOneRedactedStatusLine)
{
    const QString lead = QStringLiteral("Technic did not start: Java exited 1.");
    struct Case {
        const char* name;
        ChildExit exit;
        QByteArray errorOutput;
        QString message;
    } cases[] = {
        {"a corrupt jar", {1, false}, "Error: Invalid or corrupt jarfile /home/jo/Applications/TechnicLauncher.jar\n",
         lead + " Error: Invalid or corrupt jarfile $HOME/Applications/TechnicLauncher.jar"},
        {"a signal without output", {6, true}, {}, QStringLiteral("Technic did not start: Java was ended by signal 6.")},
        {"blank output", {1, false}, "\n  \r\n\t\n", lead},
        // The last lines that fit whole, joined; an earlier one that does not fit is left out.
        {"a stack trace", {1, false},
         "Error: A JNI error has occurred, please check your installation and try again\n"
         "Exception in thread \"main\" java.lang.NoClassDefFoundError: Foo\n\tat Main.main(Main.java)\n",
         lead + " Exception in thread \"main\" java.lang.NoClassDefFoundError: Foo \u00B7 at Main.main(Main.java)"},
        // Colour codes and tabs are blanks; runs of blanks are one.
        {"control characters", {2, false}, "\x1b[31mfatal:\t\tbad  launcher\x1b[0m",
         QStringLiteral("Technic did not start: Java exited 2. [31mfatal: bad launcher [0m")},
        {"bytes that are no UTF-8", {1, false}, "bad \xff\xfe bytes",
         lead + " bad \uFFFD\uFFFD bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString message = LauncherStartFailure::message(c.exit, c.errorOutput);
        EXPECT_EQ(message, c.message);
        EXPECT_TRUE(isValidContractMessage(message, LaunchContractLimits::maximumEventMessageBytes));
    }

    // A last line too long for the status is cut with it, to the status line's length.
    const QString cut = LauncherStartFailure::message({1, false}, QByteArray(300, 'a') + "\n");
    EXPECT_EQ(graphemeClusters(cut), statusLineLength);
    EXPECT_EQ(cut, lead + " " + QString(statusLineLength - lead.size() - 1, QLatin1Char('a')));
    // Characters of many bytes each stay within the event message limit, cut between characters.
    const QByteArray heavy = QString(200, QChar(0x0915)).toUtf8() + QString(200, QChar(0x0301)).toUtf8();
    const QString heavyMessage = LauncherStartFailure::message({1, false}, heavy);
    EXPECT_TRUE(isValidContractMessage(heavyMessage, LaunchContractLimits::maximumEventMessageBytes));
    EXPECT_TRUE(heavyMessage.startsWith(lead));
}

TEST(LauncherStartFailure, TheExcerptKeepsEveryLineRedactedWithoutBlankEnds)
{
    EXPECT_EQ(LauncherStartFailure::excerpt("\n\nfirst\n\tat /home/jo/x\n\n"), QStringLiteral("first\n\tat $HOME/x"));
    EXPECT_EQ(LauncherStartFailure::excerpt({}), QString());
}
