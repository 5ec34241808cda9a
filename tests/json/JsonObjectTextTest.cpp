#include "json/JsonObjectText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;

TEST(JsonObjectText, AnEditChangesOnlyTheMembersItNames)
{
    struct Case {
        const char* name;
        QByteArray text;
        std::function<void(JsonObjectText&)> edit;
        QByteArray expected;
    };
    const auto set = [](const char* key, const char* raw) {
        return [=](JsonObjectText& t) { t.set(QString::fromLatin1(key), QByteArray(raw)); };
    };
    const auto remove = [](const char* key) {
        return [=](JsonObjectText& t) { t.remove(QString::fromLatin1(key)); };
    };
    const Case cases[] = {
        {"a value replaced in place, the launcher's spacing kept", "{\n  \"memory\": 6,\n  \"javaArgs\": \"-Xss1M\"\n}",
         set("memory", "3"), "{\n  \"memory\": 3,\n  \"javaArgs\": \"-Xss1M\"\n}"},
        {"a missing member added after the last, spaced as it is", "{\n\t\"b\" : true,\n\t\"a\" : 1\r\n}",
         set("memory", "5"), "{\n\t\"b\" : true,\n\t\"a\" : 1,\n\t\"memory\" : 5\r\n}"},
        {"added to a compact object", "{\"a\":1}", set("b", "\"x\""), "{\"a\":1,\"b\":\"x\"}"},
        {"added to an empty object", "{ }", set("a", "1"), "{\"a\": 1 }"},
        {"the last member removed with its comma", "{\n  \"a\": 1,\n  \"b\": 2\n}", remove("b"), "{\n  \"a\": 1\n}"},
        {"the first member removed", "{\n  \"a\": 1,\n  \"b\": 2\n}", remove("a"), "{\n  \"b\": 2\n}"},
        {"a middle member removed", "{\"a\": 1, \"b\": [1, {\"}\": \"]\"}], \"c\": 3}", remove("b"),
         "{\"a\": 1, \"c\": 3}"},
        {"the only member removed", "{\n  \"a\": {\"x\": [1, 2]}\n}", remove("a"), "{}"},
        {"every duplicate set", "{\"a\": 1, \"a\": 2}", set("a", "3"), "{\"a\": 3, \"a\": 3}"},
        {"every duplicate removed", "{\"a\": 1, \"b\": 0, \"a\": 2}", remove("a"), "{\"b\": 0}"},
        {"a key written with escapes is found", "{\"mem\\u006fry\": 6, \"x\": \"a\\\"b\"}", set("memory", "4"),
         "{\"mem\\u006fry\": 4, \"x\": \"a\\\"b\"}"},
        {"a member that is not there is not removed", "{\"a\": 1}", remove("b"), "{\"a\": 1}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto text = JsonObjectText::parse(c.text);
        ASSERT_TRUE(text);
        c.edit(*text);
        EXPECT_EQ(text->bytes(), c.expected);
        EXPECT_TRUE(JsonObjectText::parse(text->bytes())); // still a JSON object
    }
}

TEST(JsonObjectText, ReadsTheLastValueOfAKeyAndRefusesWhatIsNotAnObject)
{
    const auto text = JsonObjectText::parse("{\"a\": \"one\", \"b\": {\"a\": 0}, \"a\": [ 2 ]}");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rawValue(QStringLiteral("a")), QByteArray("[ 2 ]"));
    EXPECT_EQ(text->rawValue(QStringLiteral("b")), QByteArray("{\"a\": 0}"));
    EXPECT_FALSE(text->rawValue(QStringLiteral("c")));
    for (const char* bad : {"[1]", "\"a\"", "{\"a\": }", "{\"a\": 1} x", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(JsonObjectText::parse(bad));
    }
}
