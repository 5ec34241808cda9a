#include "json/DecodingError.h"
#include "model/PackDescriptor.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace orvane;

namespace {

const QString packIdSentence =
    QStringLiteral("Pack IDs must be 1-64 lowercase letters, numbers, or hyphens and begin with a letter.");

PackID id(const char* text)
{
    return PackID::fromRawValue(QString::fromUtf8(text)).value();
}

QString decodingError(const QJsonValue& value)
{
    try {
        fromJson<PackDescriptor>(value);
    } catch (const DecodingError& e) {
        return e.description();
    }
    return {};
}

} // namespace

TEST(PackID, IdentifierRule)
{
    for (const QString& text : {QStringLiteral("tekkit-2"), QStringLiteral("tekkit2"), QStringLiteral("a"),
                                QStringLiteral("a123"), QStringLiteral("big-dig-pack"), QString(64, QLatin1Char('z'))}) {
        EXPECT_TRUE(PackID::isValid(text)) << text.toStdString();
        EXPECT_EQ(fromJson<PackID>(QJsonValue(text)).rawValue(), text);
    }
    // The limit counts UTF-8 bytes: 63 letters and one two-byte letter are 65 bytes.
    const std::vector<QString> invalid{
        QString(), QString(65, QLatin1Char('z')), QStringLiteral("Tekkit 2"), QStringLiteral("tekkit 2"),
        QStringLiteral("2tekkit"), QStringLiteral("-tekkit"), QStringLiteral("tekkit-"), QStringLiteral("tekkit--2"),
        QStringLiteral("tekkit_2"), QStringLiteral("tekKit"), QStringLiteral("caf\u00e9"), QStringLiteral("tekkit.2"),
        QStringLiteral("tekkit-2\n"), QString::fromUtf16(u"a\xD800"), QString(63, QLatin1Char('a')) + QChar(0xE9),
    };
    for (const QString& text : invalid) {
        EXPECT_FALSE(PackID::isValid(text)) << text.toStdString();
        EXPECT_FALSE(PackID::fromRawValue(text)) << text.toStdString();
        try {
            fromJson<PackID>(QJsonValue(text));
            ADD_FAILURE() << "decoded " << text.toStdString();
        } catch (const DecodingError& e) {
            EXPECT_EQ(e.description(), packIdSentence);
        }
    }
    EXPECT_THROW(fromJson<PackID>(QJsonValue(7)), DecodingError);
}

TEST(PackID, OrdersByBytes)
{
    std::vector<PackID> ids{id("z"), id("tekkit2"), id("a0"), id("tekkit-2"), id("a-b"), id("a")};
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<PackID>{id("a"), id("a-b"), id("a0"), id("tekkit-2"), id("tekkit2"), id("z")}));
}

TEST(PackDescriptor, DefaultAndJsonForm)
{
    const QJsonObject json = toJson(PackDescriptor::tekkit2);
    EXPECT_EQ(json, (QJsonObject{{"id", "tekkit-2"},
                                 {"name", "Tekkit 2"},
                                 {"version", "1.2.6"},
                                 {"providerID", "official-technic"},
                                 {"launchMode", "companionHandoff"},
                                 {"availability", "available"},
                                 {"supportReason", "Uses the installed official Technic launcher."}}));
    EXPECT_TRUE(PackDescriptor::tekkit2.isAvailable());
    EXPECT_EQ(PackDescriptor::tekkit2.id, PackID::tekkit2);

    PackDescriptor d = PackDescriptor::tekkit2;
    d.supportReason = QStringLiteral("Other.");
    EXPECT_NE(d, PackDescriptor::tekkit2);
    d.providerID = LaunchProviderID(QString()); // provider ids are not validated
    d.launchMode = LaunchMode::direct;
    d.availability = PackAvailability::blocked;
    EXPECT_FALSE(d.isAvailable());
    QJsonObject extra = toJson(d);
    extra.insert("future", 1);
    EXPECT_EQ(fromJson<PackDescriptor>(extra), d);
}

TEST(PackDescriptor, DecodingRefusals)
{
    const QJsonObject good = toJson(PackDescriptor::tekkit2);
    for (const QString& key : good.keys()) {
        QJsonObject missing = good;
        missing.remove(key);
        EXPECT_FALSE(decodingError(missing).isEmpty()) << key.toStdString();
    }
    for (const auto& [key, value] : {std::pair{"launchMode", "Direct"}, {"availability", "gone"}, {"id", "Tekkit 2"}}) {
        QJsonObject bad = good;
        bad.insert(key, value);
        EXPECT_FALSE(decodingError(bad).isEmpty()) << key;
    }
    QJsonObject badId = good;
    badId.insert("id", "tekkit--2");
    EXPECT_EQ(decodingError(badId), packIdSentence);
}
