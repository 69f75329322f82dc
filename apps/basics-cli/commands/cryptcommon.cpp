#include "commands/cryptcommon.h"

#include <Crypt/xsimplecrypt.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cctype>
#include <cstdio>

namespace cryptcli {

namespace {

const QString s_in = QStringLiteral("in");
const QString s_out = QStringLiteral("out");
const QString s_format = QStringLiteral("format");
const QString s_compress = QStringLiteral("compress");
const QString s_integrity = QStringLiteral("integrity");
const QString s_noRandomByte = QStringLiteral("no-random-byte");
const QString s_requireIntegrity = QStringLiteral("require-integrity");
const QString s_masterKey = QStringLiteral("master-key");
const QString s_masterPassphrase = QStringLiteral("master-passphrase");

QtMessageHandler s_outerHandler = nullptr;

void dropWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtWarningMsg && s_outerHandler)
        s_outerHandler(type, context, text);
}

QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

void addInputOutputOptions(QCommandLineParser &parser, Format defaultFormat)
{
    parser.addOption({s_in, QStringLiteral("Read FILE instead of stdin."), QStringLiteral("FILE")});
    parser.addOption({s_out, QStringLiteral("Write FILE instead of stdout."), QStringLiteral("FILE")});
    parser.addOption({s_format,
                      QStringLiteral("text (Base64) or raw bytes."),
                      QStringLiteral("FORMAT"),
                      defaultFormat == Format::Text ? QStringLiteral("text") : QStringLiteral("raw")});
}

void addCypherOptions(QCommandLineParser &parser)
{
    parser.addOption({s_compress, QStringLiteral("if-smaller, always or never."),
                      QStringLiteral("POLICY"), QStringLiteral("if-smaller")});
    parser.addOption({s_integrity, QStringLiteral("checksum, hash or none."),
                      QStringLiteral("MODE"), QStringLiteral("checksum")});
    parser.addOption({s_noRandomByte, QStringLiteral("First payload byte 0 instead of random.")});
}

void addRequireIntegrityOption(QCommandLineParser &parser)
{
    parser.addOption({s_requireIntegrity,
                      QStringLiteral("Refuse a cyphertext without checksum or hash.")});
}

void applyRequireIntegrityOption(const QCommandLineParser &parser, SimpleCrypt *crypt)
{
    if (parser.isSet(s_requireIntegrity))
        crypt->setRequiredIntegrity(SimpleCrypt::ChecksumIntegrity);
}

void addMasterKeyOptions(QCommandLineParser &parser)
{
    parser.addOption({s_masterKey, QStringLiteral("Master key, 16 hex digits."), QStringLiteral("HEX")});
    parser.addOption({s_masterPassphrase, QStringLiteral("Master key from a passphrase."),
                      QStringLiteral("TEXT")});
}

void addDataKeyOptions(QCommandLineParser &parser, bool withPassphrase)
{
    parser.addOption({QStringLiteral("key"), QStringLiteral("Data key, 16 hex digits."),
                      QStringLiteral("HEX")});
    if (withPassphrase)
        parser.addOption({QStringLiteral("passphrase"),
                          QStringLiteral("Data key from the master key and a passphrase."),
                          QStringLiteral("TEXT")});
}

bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
           int *exitCode)
{
    if (!parser.parse(QStringList(QStringLiteral("basics-cli")) + arguments)) {
        *exitCode = cli::usageError(command, parser.errorText());
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *exitCode = cli::usageError(command, QStringLiteral("unexpected argument '%1'")
                                                 .arg(parser.positionalArguments().first()));
        return false;
    }
    const QString formatName = parser.value(s_format);
    if (formatName != QLatin1String("text") && formatName != QLatin1String("raw")) {
        *exitCode = cli::usageError(command, QStringLiteral("--format must be text or raw"));
        return false;
    }
    return true;
}

bool parseKey(const QString &text, quint64 *key)
{
    if (text.size() != 16)
        return false;
    for (const QChar c : text) {
        if (c.unicode() > 127 || !std::isxdigit(c.unicode()))
            return false;
    }
    bool ok = false;
    *key = text.toULongLong(&ok, 16);
    return ok;
}

bool applyCypherOptions(const QCommandLineParser &parser, SimpleCrypt *crypt, QString *error)
{
    const QString policy = parser.value(s_compress);
    if (policy == QLatin1String("if-smaller"))
        crypt->setCompressionPolicy(SimpleCrypt::CompressIfSmaller);
    else if (policy == QLatin1String("always"))
        crypt->setCompressionPolicy(SimpleCrypt::CompressAlways);
    else if (policy == QLatin1String("never"))
        crypt->setCompressionPolicy(SimpleCrypt::CompressNever);
    else {
        *error = QStringLiteral("--compress must be if-smaller, always or never");
        return false;
    }
    const QString mode = parser.value(s_integrity);
    if (mode == QLatin1String("checksum"))
        crypt->setIntegrityMode(SimpleCrypt::ChecksumIntegrity);
    else if (mode == QLatin1String("hash"))
        crypt->setIntegrityMode(SimpleCrypt::HashIntegrity);
    else if (mode == QLatin1String("none"))
        crypt->setIntegrityMode(SimpleCrypt::NoIntegrity);
    else {
        *error = QStringLiteral("--integrity must be checksum, hash or none");
        return false;
    }
    crypt->setRandomByte(!parser.isSet(s_noRandomByte));
    return true;
}

bool masterKey(const QCommandLineParser &parser, quint64 *key, QString *error)
{
    const bool byKey = parser.isSet(s_masterKey);
    if (byKey == parser.isSet(s_masterPassphrase)) {
        *error = QStringLiteral("give either --master-key or --master-passphrase");
        return false;
    }
    if (byKey) {
        if (parseKey(parser.value(s_masterKey), key))
            return true;
        *error = QStringLiteral("--master-key must be 16 hex digits");
        return false;
    }
    *key = XSimpleCrypt::generateMasterKeyFromPassphrase(parser.value(s_masterPassphrase));
    return true;
}

Format format(const QCommandLineParser &parser)
{
    return parser.value(s_format) == QLatin1String("raw") ? Format::Raw : Format::Text;
}

bool readInput(const QCommandLineParser &parser, bool decodeText, QByteArray *data, QString *error)
{
    // The toolkit's readAll() stops quietly at the largest byte array (about
    // 2 GiB): it returns nothing for a larger file and the first 2 GiB of a
    // larger stream. Left unchecked, that encrypted an empty or cut input
    // with success.
    QByteArray bytes;
    bool more = false;
    if (parser.isSet(s_in) && parser.value(s_in) != QLatin1String("-")) {
        QFile file(parser.value(s_in));
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
            return false;
        }
        bytes = file.readAll();
        char next = 0;
        more = file.getChar(&next);
    } else {
        bytes = cli::readStdin();
        more = std::getc(stdin) != EOF;
    }
    if (more) {
        *error = QStringLiteral("the input is too large (at most 2 GiB)");
        return false;
    }
    if (decodeText && format(parser) == Format::Text) {
        auto decoded = QByteArray::fromBase64Encoding(
            bytes.trimmed(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) {
            *error = QStringLiteral("the input is not Base64 text (use --format raw for bytes)");
            return false;
        }
        bytes = decoded.decoded;
    }
    *data = bytes;
    return true;
}

bool writeOutput(const QCommandLineParser &parser, bool encodeText, const QByteArray &data,
                 QString *error)
{
    const QByteArray bytes = encodeText && format(parser) == Format::Text ? data.toBase64() + '\n'
                                                                          : data;
    if (parser.isSet(s_out) && parser.value(s_out) != QLatin1String("-"))
        return cli::writeOutput(parser.value(s_out), bytes, error);
    if (!cli::writeStdout(bytes)) {
        *error = QStringLiteral("cannot write to stdout");
        return false;
    }
    return true;
}

QString tooLargeToEncrypt()
{
    return QStringLiteral("the input is too large to encrypt in the memory available");
}

QByteArray toJson(const QVariant &value)
{
    switch (int(value.type())) {
    case QVariant::Invalid:
        return "null";
    case QVariant::Bool:
        return value.toBool() ? "true" : "false";
    case QVariant::Int:
    case QVariant::LongLong:
        return QByteArray::number(value.toLongLong());
    case QVariant::UInt:
    case QVariant::ULongLong:
        return QByteArray::number(value.toULongLong());
    case QVariant::Double: {
        const QByteArray array = QJsonDocument(QJsonArray{value.toDouble()}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    }
    case QVariant::List:
    case QVariant::StringList: {
        QByteArrayList items;
        for (const QVariant &item : value.toList())
            items << toJson(item);
        return '[' + items.join(',') + ']';
    }
    case QVariant::Map:
    case QVariant::Hash: {
        const QVariantMap map = value.toMap(); // sorted keys
        QByteArrayList items;
        for (auto it = map.constBegin(); it != map.constEnd(); ++it)
            items << jsonString(it.key()) + ':' + toJson(it.value());
        return '{' + items.join(',') + '}';
    }
    default:
        return value.canConvert<QString>() ? jsonString(value.toString()) : QByteArray("null");
    }
}

QuietWarnings::QuietWarnings()
    : m_previous(qInstallMessageHandler(dropWarnings))
{
    s_outerHandler = m_previous;
}

QuietWarnings::~QuietWarnings()
{
    qInstallMessageHandler(m_previous);
}

} // namespace cryptcli
