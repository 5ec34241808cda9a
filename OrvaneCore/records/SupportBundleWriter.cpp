#include "records/SupportBundleWriter.h"

#include "json/DecodingError.h"
#include "json/JsonReader.h"
#include "json/JsonWriter.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"

#include <QStringDecoder>

namespace orvane {

namespace {

OrvaneError invalidBundle()
{
    return OrvaneError::io(QStringLiteral("Orvane refused to write an invalid diagnostic bundle after redaction."));
}

// Bytes that are not UTF-8 count as no text at all.
QString utf8TextOrEmpty(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

} // namespace

SupportBundleWriter::SupportBundleWriter(std::filesystem::path directory, Redaction redaction,
                                         std::shared_ptr<FileOperations> fileOperations)
    : m_directory(standardised(directory))
    , m_redaction(std::move(redaction))
    , m_files(std::move(fileOperations))
{
}

QString SupportBundleWriter::fileName(const QDateTime& createdAt)
{
    // Integer division cuts toward zero, as the name requires.
    return QStringLiteral("orvane-diagnostic-%1.json").arg(createdAt.toMSecsSinceEpoch() / 1000);
}

std::filesystem::path SupportBundleWriter::write(const DiagnosticSummary& summary) const
{
    m_files->createDirectories(m_directory);
    const std::filesystem::path file = m_directory / pathFromText(fileName(summary.createdAt));

    DiagnosticSummary copy = summary;
    copy.redactedLog = m_redaction(copy.redactedLog);
    copy.preview = m_redaction(copy.preview);

    const QByteArray bytes = m_redaction(utf8TextOrEmpty(encodeJson(toJson(copy)))).toUtf8();
    try {
        fromJson<DiagnosticSummary>(JsonReader::parse(bytes, QStringLiteral("DiagnosticSummary")).object());
    } catch (const DecodingError&) {
        throw invalidBundle();
    }

    m_files->writeAtomically(file, bytes);
    return file;
}

} // namespace orvane
