#include "ui/desktop/Announcer.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QPointer>

#include <memory>
#include <vector>

namespace orvane {
namespace {

struct Element {
    QAccessible::Role role;
    QString name;
    bool showing;
};

Element elementOf(const QWidget* widget)
{
    QAccessibleInterface* element = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
    return {element->role(), element->text(QAccessible::Name), !element->state().invisible};
}

// Screen readers on Linux speak a notification that becomes showing; the announcer must therefore show
// each text on an element of its own, named before it appears, and keep the last few alive (hidden)
// for a reader still reading them.
TEST(AccessibleAnnouncer, ShowsEachTextOnAFreshNotificationAndKeepsTheLastFewHiddenWithTheirOwnTexts)
{
    QWidget window;
    window.resize(400, 300);
    window.show();
    AccessibleAnnouncer announcer(&window);
    EXPECT_EQ(announcer.latest(), nullptr);

    const QStringList texts{QStringLiteral("Verifying setup…"), QStringLiteral("Diagnostic written. Preview is redacted."),
                            QStringLiteral("Report copied."), QStringLiteral("Report copied."),
                            QStringLiteral("Technic is open…"), QStringLiteral("World backup a verified.")};
    std::vector<QPointer<const AnnouncementRegion>> shown;
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        announcer.announce(text);
        const AnnouncementRegion* latest = announcer.latest();
        ASSERT_NE(latest, nullptr);
        EXPECT_TRUE(shown.empty() || latest != shown.back()) << "a repeated text still appears anew";
        shown.emplace_back(latest);

        const Element element = elementOf(latest);
        EXPECT_EQ(element.role, QAccessible::Notification);
        EXPECT_EQ(element.name, text);
        EXPECT_TRUE(element.showing);
        EXPECT_EQ(latest->size(), QSize(0, 0));
        EXPECT_EQ(latest->focusPolicy(), Qt::NoFocus);
        // Every earlier element still alive is hidden and still carries its own text.
        for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
            if (!shown[i])
                continue;
            EXPECT_EQ(elementOf(shown[i]).name, texts[qsizetype(i)]);
            EXPECT_FALSE(elementOf(shown[i]).showing);
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto alive = std::count_if(shown.begin(), shown.end(), [](const auto& region) { return !region.isNull(); });
    EXPECT_EQ(alive, 4);
}

TEST(AccessibleAnnouncer, AnnouncingAfterItsWindowIsGoneDoesNothing)
{
    auto window = std::make_unique<QWidget>();
    AccessibleAnnouncer announcer(window.get());
    announcer.announce(QStringLiteral("Report copied."));
    window.reset();
    announcer.announce(QStringLiteral("Report copied."));
    EXPECT_EQ(announcer.latest(), nullptr);
}

} // namespace
} // namespace orvane
