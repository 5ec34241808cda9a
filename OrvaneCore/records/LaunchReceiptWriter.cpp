#include "records/LaunchReceiptWriter.h"

#include "json/DecodingError.h"
#include "json/JsonReader.h"
#include "json/JsonWriter.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"

#include <sys/stat.h>

namespace orvane {

namespace {

constexpr mode_t folderMode = 0700;
constexpr mode_t receiptMode = 0600;

// The date as stored: the fraction of the second dropped (toward the past, as the JSON form does).
QDateTime wholeSecond(const QDateTime& date)
{
    const qint64 milliseconds = date.toMSecsSinceEpoch();
    qint64 seconds = milliseconds / 1000;
    if (milliseconds % 1000 < 0)
        --seconds;
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

bool isStoredFormOf(const LaunchReceipt& decoded, const LaunchReceipt& receipt)
{
    LaunchReceipt expected = receipt;
    expected.observedAt = wholeSecond(receipt.observedAt);
    return decoded == expected;
}

OrvaneError invalidReceipt()
{
    return OrvaneError::io(QStringLiteral("Orvane refused to write an invalid local launch receipt."));
}

} // namespace

LaunchReceiptWriter::LaunchReceiptWriter(std::filesystem::path directory, Redaction redaction,
                                         std::shared_ptr<FileOperations> fileOperations)
    : m_directory(standardised(directory))
    , m_redaction(std::move(redaction))
    , m_files(std::move(fileOperations))
{
}

QString LaunchReceiptWriter::fileName(const QDateTime& observedAt, const QUuid& uuid)
{
    return QStringLiteral("orvane-launch-%1-%2.json")
        .arg(observedAt.toMSecsSinceEpoch())
        .arg(uuid.toString(QUuid::WithoutBraces).toLower());
}

std::filesystem::path LaunchReceiptWriter::write(const LaunchReceipt& receipt) const
{
    // The receipt folder itself is made 0700 from the start; folders above it get the usual mode.
    m_files->createDirectories(m_directory.parent_path());
    m_files->createDirectories(m_directory, folderMode);
    if (::chmod(m_directory.c_str(), folderMode) != 0)
        throwErrno("set permissions of", m_directory);

    const std::filesystem::path file =
        m_directory / pathFromText(fileName(receipt.observedAt, QUuid::createUuid()));

    const QByteArray encoded = encodeJson(toJson(receipt));
    const QByteArray redacted = m_redaction(QString::fromUtf8(encoded)).toUtf8();
    try {
        const LaunchReceipt decoded = fromJson<LaunchReceipt>(
            JsonReader::parse(redacted, QStringLiteral("LaunchReceipt")).object());
        if (!isStoredFormOf(decoded, receipt))
            throw invalidReceipt();
    } catch (const DecodingError&) {
        throw invalidReceipt();
    }

    // The temporary file is 0600 already, so the receipt is never readable by anyone else.
    m_files->writeAtomically(file, redacted, receiptMode);
    return file;
}

} // namespace orvane
