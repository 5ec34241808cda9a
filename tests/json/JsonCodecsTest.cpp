#include "json/DecodingError.h"
#include "json/JsonReader.h"
#include "json/JsonWriter.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

#include <cmath>
#include <functional>
#include <limits>

using namespace orvane;

namespace {

enum class Colour { red, greenish };

JsonReader read(const char* json)
{
    return JsonReader::parse(QByteArray(json), QStringLiteral("Thing"));
}

} // namespace

template <>
struct orvane::EnumNames<Colour> {
    static constexpr std::array names{"red", "greenish"};
};

TEST(JsonWriter, PrettySortedEscapedSlashes)
{
    QJsonObject o;
    o.insert("zeta", 1);
    o.insert("alpha", "a/b");
    const QByteArray bytes = encodeJson(o);
    EXPECT_LT(bytes.indexOf("alpha"), bytes.indexOf("zeta"));
    EXPECT_TRUE(bytes.contains("a\\/b"));
    EXPECT_TRUE(bytes.contains('\n'));
    EXPECT_EQ(QJsonDocument::fromJson(bytes).object().value("alpha").toString(), QStringLiteral("a/b"));
}

TEST(JsonWriter, NonFiniteNumbersAreRefusedNotWrittenAsNull)
{
    EXPECT_THROW(toJsonNumber(std::nan("")), EncodingError);
    EXPECT_THROW(toJsonNumber(std::numeric_limits<double>::infinity()), EncodingError);
    QJsonObject nested;
    QJsonArray array;
    array.append(QJsonValue(std::numeric_limits<double>::infinity()));
    nested.insert("a", array);
    QJsonObject o;
    o.insert("n", nested);
    if (o.value("n").toObject().value("a").toArray().at(0).isDouble()) {
        EXPECT_THROW(encodeJson(o), EncodingError);
    }
}

TEST(JsonCodecs, DatesAreUtcWholeSeconds)
{
    const QDateTime d = QDateTime::fromMSecsSinceEpoch(1796800868789LL, Qt::UTC);
    EXPECT_EQ(isoDateText(d), QStringLiteral("2026-12-09T07:21:08Z"));
    EXPECT_EQ(*parseIsoDate("2026-12-09T07:21:08Z"), QDateTime::fromSecsSinceEpoch(1796800868, Qt::UTC));
    EXPECT_EQ(*parseIsoDate("2026-12-09T08:21:08+01:00"), QDateTime::fromSecsSinceEpoch(1796800868, Qt::UTC));
    // Offsets beyond the zones in use are still well-formed and must move the instant.
    EXPECT_EQ(*parseIsoDate("2026-12-09T22:21:08+15:00"), QDateTime::fromSecsSinceEpoch(1796800868, Qt::UTC));
    EXPECT_EQ(*parseIsoDate("2026-12-08T10:51:08-20:30"), QDateTime::fromSecsSinceEpoch(1796800868, Qt::UTC));
    EXPECT_FALSE(parseIsoDate("2026-12-09 07:21:08Z"));
    EXPECT_FALSE(parseIsoDate("2026-02-30T07:21:08Z"));
    EXPECT_FALSE(parseIsoDate("2026-12-09T07:21:08"));
}

TEST(JsonCodecs, EveryUnsignedValueWrittenReadsBack)
{
    // Above the signed range the value is written as a double; the largest ones must not round up to 2^64.
    for (const std::uint64_t value : {std::uint64_t(INT64_MAX), std::uint64_t(INT64_MAX) + 1, UINT64_MAX - 1024,
                                      UINT64_MAX}) {
        const QJsonObject o{{"n", toJsonUnsigned(value)}};
        const auto r = JsonReader::parse(encodeJson(o), QStringLiteral("Thing"));
        EXPECT_NO_THROW(r.unsignedInteger("n")) << value;
    }
}

TEST(JsonCodecs, UuidsWrittenUpperReadInEitherCase)
{
    const QUuid u = QUuid::fromString(QStringLiteral("8a1f7c2e-0b3d-4e5f-9a6b-7c8d9e0f1a2b"));
    EXPECT_EQ(uuidText(u), QStringLiteral("8A1F7C2E-0B3D-4E5F-9A6B-7C8D9E0F1A2B"));
    EXPECT_EQ(decodeUuid(QStringLiteral("8a1f7c2e-0b3d-4e5f-9a6b-7c8d9e0f1a2b"), "u"), u);
    EXPECT_EQ(decodeUuid(uuidText(u), "u"), u);
    EXPECT_THROW(decodeUuid(QStringLiteral("{8a1f7c2e-0b3d-4e5f-9a6b-7c8d9e0f1a2b}"), "u"), DecodingError);
}

TEST(JsonReader, RequiredFieldsAreStrict)
{
    const auto r = read(R"({"s":"x","i":3,"f":1.5,"b":true,"n":null,"big":1e300,"neg":-2,"e":"red"})");
    EXPECT_EQ(r.string("s"), QStringLiteral("x"));
    EXPECT_EQ(r.integer("i"), 3);
    EXPECT_TRUE(r.boolean("b"));
    EXPECT_THROW(r.string("missing"), DecodingError);
    EXPECT_THROW(r.string("n"), DecodingError);
    EXPECT_THROW(r.string("i"), DecodingError);
    EXPECT_THROW(r.integer("f"), DecodingError);
    EXPECT_THROW(r.integer("b"), DecodingError);
    EXPECT_THROW(r.integer("big"), DecodingError);
    EXPECT_THROW(r.boolean("i"), DecodingError);
    EXPECT_THROW(r.unsignedInteger("neg"), DecodingError);
    EXPECT_THROW(r.integer("i", 0, 2), DecodingError);
    EXPECT_EQ(r.enumeration<Colour>("e"), Colour::red);
}

TEST(JsonReader, UnknownEnumNamesAndWrongCaseAreRefused)
{
    EXPECT_THROW(read(R"({"e":"Red"})").enumeration<Colour>("e"), DecodingError);
    EXPECT_THROW(read(R"({"e":"blue"})").enumeration<Colour>("e"), DecodingError);
    EXPECT_EQ(read(R"({"e":"greenish"})").enumeration<Colour>("e"), Colour::greenish);
    EXPECT_EQ(toJsonEnum(Colour::greenish).toString(), QStringLiteral("greenish"));
}

TEST(JsonReader, OptionalsReadMissingAndNullAsAbsentButStayStrict)
{
    const auto r = read(R"({"n":null,"s":"x","i":"7"})");
    EXPECT_FALSE(r.optionalString("n"));
    EXPECT_FALSE(r.optionalString("missing"));
    EXPECT_EQ(r.optionalString("s"), QStringLiteral("x"));
    EXPECT_THROW(r.optionalInteger("i"), DecodingError);
}

TEST(JsonReader, ListsDecodeEachElementAndNameTheBadOne)
{
    const auto r = read(R"({"a":["x","y"],"b":["x",2]})");
    EXPECT_EQ(r.strings("a"), (std::vector<QString>{"x", "y"}));
    try {
        r.strings("b");
        FAIL();
    } catch (const DecodingError& e) {
        EXPECT_TRUE(e.description().contains("Thing.b[1]")) << e.description().toStdString();
    }
}

// A value is named only when it is refused: each refusal reads exactly as the codec's own for the
// field's whole name, down to a field of the second record of a list.
TEST(JsonReader, RefusalsNameTheWholeFieldAsTheCodecsDo)
{
    const auto description = [](const std::function<void()>& read) {
        try {
            read();
        } catch (const DecodingError& e) {
            return e.description();
        }
        return QStringLiteral("accepted");
    };
    const auto r = read(R"({"s":3,"i":"7","f":1.5,"big":1e300,"low":-2})");
    const QJsonObject o = r.object();
    EXPECT_EQ(description([&] { r.string("s"); }), description([&] { decodeString(o["s"], "Thing.s"); }));
    for (const char* key : {"i", "f", "big", "low"}) {
        const QString name = QStringLiteral("Thing.") + key;
        EXPECT_EQ(description([&] { r.integer(key, 0); }), description([&] { decodeInteger(o[key], name, 0); })) << key;
    }

    const auto records = read(R"({"files":[{"n":1},{"n":1.5}]})");
    const auto decodeRecord = [](const QJsonValue& value, const QString& what) {
        return JsonReader(value, what).integer("n");
    };
    EXPECT_EQ(description([&] { records.list("files", decodeRecord); }),
              description([&] { decodeInteger(QJsonValue(1.5), "Thing.files[1].n"); }));
}

TEST(JsonReader, DocumentsMustBeObjects)
{
    EXPECT_THROW(read("[1]"), DecodingError);
    EXPECT_THROW(read("{"), DecodingError);
    EXPECT_THROW(read(""), DecodingError);
}

TEST(JsonCodecs, PathsMustBeUtf8ToBeRecorded)
{
    EXPECT_EQ(toJsonPath("/a/b c").toString(), QStringLiteral("/a/b c"));
    EXPECT_THROW(toJsonPath(std::filesystem::path(std::string("/a/\xff"))), EncodingError);
    EXPECT_EQ(decodePath(QStringLiteral("/a"), "p"), std::filesystem::path("/a"));
    EXPECT_THROW(decodePath(QString(), "p"), DecodingError);
}
