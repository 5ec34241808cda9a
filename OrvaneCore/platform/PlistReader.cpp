#include "platform/PlistReader.h"

#include <QXmlStreamReader>

namespace orvane {

std::optional<PlistStrings> readPlistStrings(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != u"plist")
        return std::nullopt;
    if (!reader.readNextStartElement() || reader.name() != u"dict")
        return std::nullopt;

    PlistStrings strings;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"key")
            return std::nullopt;
        const QString key = reader.readElementText(); // an element inside a key is an error
        if (reader.hasError() || !reader.readNextStartElement())
            return std::nullopt; // a key without a value
        if (reader.name() == u"string")
            strings[key] = reader.readElementText();
        else
            reader.skipCurrentElement();
        if (reader.hasError())
            return std::nullopt;
    }
    if (reader.hasError())
        return std::nullopt;
    // </dict> read; the property list holds nothing more, and the document must end well-formed.
    if (reader.readNextStartElement())
        return std::nullopt;
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        return std::nullopt;
    return strings;
}

std::optional<PlistStrings> readPlistStringsFile(const std::filesystem::path& file, FileOperations& files,
                                                 std::uint64_t maxBytes)
{
    const auto bytes = readFileIfPossible(files, file, maxBytes);
    if (!bytes)
        return std::nullopt;
    return readPlistStrings(*bytes);
}

} // namespace orvane
