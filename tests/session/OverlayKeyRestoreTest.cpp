#include "session/OverlayKeyRestore.h"

#include "model/OrvaneError.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using Form = OverlayKeyRestore::Form;
using Action = OverlayKeyRestore::Outcome::Action;

TEST(OverlayKeyRestore, PutsBackOnlyTheGivenKeysAndKeepsTheRestOfTheFile)
{
    struct Case {
        const char* name;
        Form form;
        std::optional<QByteArray> original, current;
        QStringList keys;
        Action action;
        QByteArray bytes;
    };
    const QStringList options{"ao", "maxFps", "useVbo"};
    const QStringList memory{"memory"};
    const Case cases[] = {
        {"nothing else changed: the exact bytes from before, line ends included", Form::options,
         "ao:2\r\nmaxFps:120\r\nlang:en_us", "ao:1\nmaxFps:60\nlang:en_us\nuseVbo:true\n", options, Action::write,
         "ao:2\r\nmaxFps:120\r\nlang:en_us"},
        {"the game's lines and order kept, a key absent before removed", Form::options, "ao:2\nmaxFps:120\n",
         "fov:0.25\nmaxFps:60\nuseVbo:true\nao:1\nkey_key.sprint:29\n", options, Action::write,
         "fov:0.25\nmaxFps:120\nao:2\nkey_key.sprint:29\n"},
        {"a key the game dropped comes back at the end", Form::options, "ao:2\nmaxFps:120\n", "maxFps:60\nfov:1\n",
         options, Action::write, "maxFps:120\nfov:1\nao:2\n"},
        {"the last of a repeated key is the one restored", Form::options, "ao:0\nao:2\n", "ao:1\nx:1\nao:1\n",
         {"ao"}, Action::write, "ao:1\nx:1\nao:2\n"},
        {"already as before", Form::options, "ao:2\n", "ao:2\nfov:1\n", options, Action::keep, "ao:2\nfov:1\n"},
        {"created, holding nothing else: removed", Form::options, std::nullopt, "ao:1\nmaxFps:60\n\n", options,
         Action::remove, ""},
        {"created, then the game wrote more: kept without the keys", Form::options, std::nullopt,
         "ao:1\nlang:en_us\nmaxFps:60\n", options, Action::write, "lang:en_us\n"},
        {"removed since, existed before: put back whole", Form::options, "ao:2\n", std::nullopt, options,
         Action::write, "ao:2\n"},
        {"absent before and now", Form::options, std::nullopt, std::nullopt, options, Action::keep, ""},
        {"a JSON value put back as written before", Form::json, "{\"java\":\"1.8\",\"memory\":\"3072\"}",
         "{\n  \"memory\": \"2048\",\n  \"java\": \"17\",\n  \"packBuild\": 3\n}", memory, Action::write,
         "{\n  \"memory\": \"3072\",\n  \"java\": \"17\",\n  \"packBuild\": 3\n}"},
        {"a JSON file as it was: its exact bytes", Form::json, "{\"memory\":5, \"x\":1}",
         "{\n    \"memory\": 6,\n    \"x\": 1\n}", memory, Action::write, "{\"memory\":5, \"x\":1}"},
        {"a JSON member absent before removed", Form::json, "{\"x\":1}", "{\"memory\": 6, \"x\": 2}", memory,
         Action::write, "{\"x\": 2}"},
        {"a created JSON file with only the keys: removed", Form::json, std::nullopt,
         "{\n    \"java\": \"1.8\",\n    \"memory\": \"4096\"\n}", {"memory", "java"}, Action::remove, ""},
        {"a JSON original that is no object is put back whole", Form::json, "not json", "{\"memory\": 6}", memory,
         Action::write, "not json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome =
            OverlayKeyRestore::restore(c.form, c.original, c.current, c.keys, QStringLiteral("options.txt"));
        EXPECT_EQ(outcome.action, c.action);
        if (c.action != Action::remove) {
            EXPECT_EQ(outcome.bytes, c.bytes);
        }
    }
}

TEST(OverlayKeyRestore, RefusesAFileItCannotRead)
{
    const std::optional<QByteArray> notUtf8 = QByteArray("ao:\xff\n");
    try {
        OverlayKeyRestore::restore(Form::options, QByteArray("ao:2\n"), notUtf8, {"ao"},
                                   QStringLiteral("/i/options.txt"));
        ADD_FAILURE() << "restored";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("/i/options.txt is not UTF-8 text."));
    }
    EXPECT_THROW(OverlayKeyRestore::restore(Form::json, std::nullopt, QByteArray("[1]"), {"memory"},
                                            QStringLiteral("settings.json")),
                 OrvaneError);
}
