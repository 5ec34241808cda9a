#include "technic/TextTail.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;

TEST(TextTail, KeepsTheEndOfTheTextFromAWholeLineWithinItsCapacity)
{
    struct Case {
        const char* name;
        qsizetype capacity;
        std::vector<QString> appends;
        QString kept;
    } cases[] = {
        {"all of a text that fits", 20, {QStringLiteral("one\n"), QStringLiteral("two\n")},
         QStringLiteral("one\ntwo\n")},
        {"from the first whole line after the cut", 12, {QStringLiteral("first line\nsecond\n"), QStringLiteral("third\n")},
         QStringLiteral("third\n")},
        {"a cut right after a line end keeps that line", 13,
         {QStringLiteral("aaaa\n"), QStringLiteral("bbbbbbbbbbbb\n")}, QStringLiteral("bbbbbbbbbbbb\n")},
        {"one long append alone", 10, {QStringLiteral("old\n"), QStringLiteral("xxxxxxxxxxxxxxxxxxxx\nyy\nzz\n")},
         QStringLiteral("yy\nzz\n")},
        // No line begins in the first half of what is kept: the cut stays where it is.
        {"a line too long to wait for", 10, {QStringLiteral("abcdefghijklmnopqrstuvwx\nyz")},
         QStringLiteral("rstuvwx\nyz")},
        {"never half a character", 3, {QStringLiteral("a\U0001F600bc")}, QStringLiteral("bc")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextTail tail(c.capacity);
        for (const QString& text : c.appends) {
            tail.append(text);
            EXPECT_LE(tail.text().size(), c.capacity);
        }
        EXPECT_EQ(tail.text(), c.kept);
    }
}
