#include "json/DecodingError.h"
#include "json/JsonDateDecodingStrategy.h"
#include "json/StrictBase64.h"
#include "json/StrictJsonCheck.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

using namespace orvane;

namespace {

bool passes(const QByteArray& json, int depth = 8)
{
    try {
        checkStrictJson(json, depth);
        return true;
    } catch (const DecodingError&) {
        return false;
    }
}

QByteArray nested(int levels)
{
    return QByteArray(levels, '[') + QByteArray(levels, ']');
}

} // namespace

TEST(StrictJsonCheck, AcceptsWhatTheGrammarAllows)
{
    for (const char* json : {"{}", " [ ] ", "\"x\"", "0", "-0.5e+10", "true", "null",
                             "{\"a\":[1,{\"b\":\"\\u00e9\\n\\\"\"}],\"c\":{\"a\":1}}",
                             "{\"s\":\"\\ud83d\\ude00 \xf0\x9f\x98\x80 \xe2\x82\xac\"}", "\r\n{\"k\" : false}\t"}) {
        EXPECT_TRUE(passes(json)) << json;
    }
    EXPECT_EQ(parseStrictJson("{\"a\":[1,2]}", 4).object().value("a").toArray().size(), 2);
}

TEST(StrictJsonCheck, RefusesRepeatedKeysAtAnyLevel)
{
    EXPECT_FALSE(passes("{\"a\":1,\"a\":2}"));
    EXPECT_FALSE(passes("{\"x\":[{\"id\":\"a\",\"id\":\"b\"}]}"));
    // Equal once escapes are decoded.
    EXPECT_FALSE(passes("{\"a\":1,\"\\u0061\":2}"));
    EXPECT_FALSE(passes("{\"\\u00e9\":1,\"\xc3\xa9\":2}"));
    // The same key in sibling or nested objects is fine; so is a key that differs only in case.
    EXPECT_TRUE(passes("{\"a\":{\"a\":1},\"b\":{\"a\":2},\"A\":3}"));
}

TEST(StrictJsonCheck, BoundsNestingCountingObjectsAndArrays)
{
    EXPECT_TRUE(passes(nested(8), 8));
    EXPECT_FALSE(passes(nested(9), 8));
    EXPECT_TRUE(passes("{\"a\":{\"b\":[1]}}", 3));
    EXPECT_FALSE(passes("{\"a\":{\"b\":[[1]]}}", 3));
    EXPECT_FALSE(passes(nested(100000), 32)); // refused without exhausting the stack
}

TEST(StrictJsonCheck, RefusesMalformedText)
{
    for (const char* json : {"", " ", "{", "{\"a\":1,}", "[1,]", "{\"a\" 1}", "{a:1}", "{'a':1}", "01", "1.", ".5",
                             "-", "1e", "+1", "tru", "nul", "[1] x", "{} {}", "\"\\x\"", "\"\\u12\"",
                             "\"abc", "{\"a\":1 \"b\":2}"}) {
        EXPECT_FALSE(passes(json)) << json;
    }
    EXPECT_FALSE(passes(QByteArray("\"a\tb\"")));
    EXPECT_FALSE(passes(QByteArray("\"a\0b\"", 5)));
}

TEST(StrictJsonCheck, RefusesInvalidUtf8AndUnpairedSurrogates)
{
    for (const char* json : {"\"\xff\"", "\"\xc0\xaf\"", "\"\xe0\x80\xaf\"", "\"\xed\xa0\x80\"", "\"\xf4\x90\x80\x80\"",
                             "\"\xe2\x82\"", "\"\x80\"", "\"\\ud800\"", "\"\\udc00\"", "\"\\ud800\\u0041\"",
                             "\"\\ud800x\"", "{\"\\ud800\":1}"}) {
        EXPECT_FALSE(passes(json)) << json;
    }
}

TEST(StrictJsonCheck, RefusesNumbersTheParserWouldRoundToAnotherWholeNumber)
{
    // Exact: in the signed 64-bit range, or a whole number a double holds, or not whole at all, or
    // too large for any integer field.
    for (const char* json : {"9223372036854775807", "-9223372036854775808", "9223372036854775808",
                             "9007199254740992.0", "1e3", "100e-2", "-0.0", "0.1", "1.5", "1e30"}) {
        EXPECT_TRUE(passes(json)) << json;
    }
    // Read as a double, these would become a neighbouring whole number.
    for (const char* json : {"9223372036854775809", "-9223372036854775809", "18446744073709549569",
                             "9007199254740993.0", "9007199254740993e0", "4503599627370496.5",
                             "1.0000000000000000001", "[1,{\"a\":9223372036854775809}]"}) {
        EXPECT_FALSE(passes(json)) << json;
    }
}

TEST(StrictJsonCheck, ParseReportsQtsOwnRefusalsAsDecodingErrors)
{
    EXPECT_THROW(parseStrictJson("{\"a\":1e999}", 4), DecodingError);
    EXPECT_THROW(parseStrictJson("{\"a\":1,\"a\":2}", 4), DecodingError);
}

TEST(StrictBase64, PaddingAlphabetAndCanonicalBits)
{
    for (int length = 0; length < 10; ++length) {
        const QByteArray bytes = QByteArray("\x00\xff\x10 orvane", length);
        EXPECT_EQ(decodeStrictBase64(bytes.toBase64()), bytes) << length;
    }
    for (const char* text : {"QQ", "QQ=", "QQ==\n", "Q Q==", " QQ==", "QQ==QQ==", "=QQ=", "Q===", "====", "QR==",
                             "QUJ=", "-_8=", "QQ\xc3\xa9="}) {
        EXPECT_FALSE(decodeStrictBase64(QByteArray(text))) << text;
    }
    EXPECT_EQ(decodeStrictBase64("+/8="), QByteArray("\xfb\xff"));
    EXPECT_THROW(decodeBase64(QJsonValue(QStringLiteral("QQ")), "payload"), DecodingError);
    EXPECT_THROW(decodeBase64(QJsonValue(1), "payload"), DecodingError);
}

TEST(JsonDateDecodingStrategy, EachStrategyReadsItsOwnForm)
{
    const QDateTime expected = QDateTime::fromMSecsSinceEpoch(1'796'000'000'500, Qt::UTC);
    using S = JsonDateDecodingStrategy;
    EXPECT_EQ(decodeDateUsing(QJsonValue(QStringLiteral("2026-11-30T00:53:20.5Z")), "d", S::iso8601), expected);
    EXPECT_EQ(decodeDateUsing(QJsonValue(1'796'000'000.5), "d", S::secondsSince1970), expected);
    EXPECT_EQ(decodeDateUsing(QJsonValue(1'796'000'000'500.0), "d", S::millisecondsSince1970), expected);
    EXPECT_EQ(decodeDateUsing(QJsonValue(1'796'000'000.5 - 978'307'200.0), "d", S::secondsSince2001), expected);
    EXPECT_EQ(decodeDateUsing(QJsonValue(0), "d", S::secondsSince2001),
              QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC));

    EXPECT_THROW(decodeDateUsing(QJsonValue(1'796'000'000), "d", S::iso8601), DecodingError);
    EXPECT_THROW(decodeDateUsing(QJsonValue(QStringLiteral("2026-11-30T02:13:20Z")), "d", S::secondsSince1970),
                 DecodingError);
    // Far outside any real date, and far outside what a millisecond count can hold.
    EXPECT_THROW(decodeDateUsing(QJsonValue(1e300), "d", S::secondsSince1970), DecodingError);
    EXPECT_THROW(decodeDateUsing(QJsonValue(-1e19), "d", S::millisecondsSince1970), DecodingError);
}
