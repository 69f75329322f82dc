// xencrypt / xdecrypt / xheader: XSimpleCrypt blobs from scripts.

#include "commands/cryptcommon.h"

#include <Crypt/xsimplecrypt.h>

namespace {

const QString s_xencrypt = QStringLiteral("xencrypt");
const QString s_xdecrypt = QStringLiteral("xdecrypt");
const QString s_xheader = QStringLiteral("xheader");

// Master key, and the data key from --key or --passphrase if given.
bool setUpKeys(const QCommandLineParser &parser, const QString &command, bool withDataKey,
               XSimpleCrypt *crypt, int *exitCode)
{
    quint64 master = 0;
    QString error;
    if (!cryptcli::masterKey(parser, &master, &error)) {
        *exitCode = cli::usageError(command, error);
        return false;
    }
    crypt->setMasterKey(master);
    if (!withDataKey)
        return true;
    const bool byKey = parser.isSet(QStringLiteral("key"));
    const bool byPhrase = parser.isSet(QStringLiteral("passphrase"));
    if (byKey && byPhrase) {
        *exitCode = cli::usageError(command, QStringLiteral("give --key or --passphrase, not both"));
        return false;
    }
    if (byKey) {
        quint64 key = 0;
        if (!cryptcli::parseKey(parser.value(QStringLiteral("key")), &key)) {
            *exitCode = cli::usageError(command, QStringLiteral("--key must be 16 hex digits"));
            return false;
        }
        crypt->setKey(key);
    } else if (byPhrase) {
        crypt->setKey(parser.value(QStringLiteral("passphrase")));
    }
    return true;
}

int runXEncrypt(const QStringList &arguments)
{
    QCommandLineParser parser;
    cryptcli::addMasterKeyOptions(parser);
    cryptcli::addDataKeyOptions(parser, true);
    parser.addOption({QStringLiteral("store-key"), QStringLiteral("Put the data key into the header.")});
    parser.addOption({QStringLiteral("header"), QStringLiteral("Header entry (repeatable)."),
                      QStringLiteral("NAME=VALUE")});
    parser.addOption({QStringLiteral("no-identifier"), QStringLiteral("Leave out the \"encrypted\" marker.")});
    cryptcli::addCypherOptions(parser);
    cryptcli::addInputOutputOptions(parser, cryptcli::Format::Raw);
    int exitCode = cli::Success;
    XSimpleCrypt crypt(0);
    if (!cryptcli::parse(parser, s_xencrypt, arguments, &exitCode)
        || !setUpKeys(parser, s_xencrypt, true, &crypt, &exitCode))
        return exitCode;
    QString error;
    if (!cryptcli::applyCypherOptions(parser, &crypt, &error))
        return cli::usageError(s_xencrypt, error);
    crypt.setPrependIdentifier(!parser.isSet(QStringLiteral("no-identifier")));
    QVariantMap header;
    for (const QString &entry : parser.values(QStringLiteral("header"))) {
        const int equals = entry.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return cli::usageError(s_xencrypt, QStringLiteral("--header takes NAME=VALUE"));
        // "Key" is where the data key travels: a text there would stand in
        // for the key, or be overwritten by --store-key.
        if (entry.left(equals) == QLatin1String("Key"))
            return cli::usageError(s_xencrypt,
                                   QStringLiteral("--header cannot set \"Key\": use --store-key"));
        header.insert(entry.left(equals), entry.mid(equals + 1));
    }
    crypt.setHeader(header);

    QByteArray plaintext;
    if (!cryptcli::readInput(parser, false, &plaintext, &error))
        return cli::failure(s_xencrypt, error);
    QByteArray blob;
    {
        cryptcli::QuietWarnings quiet;
        blob = crypt.encryptToByteArray(plaintext, parser.isSet(QStringLiteral("store-key")));
    }
    // Header entries from the command line are texts, which are always
    // stored: IntegrityError means the blob cannot be made.
    if (crypt.lastError() == XSimpleCrypt::IntegrityError)
        return cli::failure(s_xencrypt, cryptcli::tooLargeToEncrypt());
    if (crypt.lastError() != XSimpleCrypt::NoError)
        return cli::failure(s_xencrypt, crypt.lastErrorString());
    if (!cryptcli::writeOutput(parser, true, blob, &error))
        return cli::failure(s_xencrypt, error);
    return cli::Success;
}

int runXDecrypt(const QStringList &arguments)
{
    QCommandLineParser parser;
    cryptcli::addMasterKeyOptions(parser);
    cryptcli::addDataKeyOptions(parser, true);
    cryptcli::addRequireIntegrityOption(parser);
    cryptcli::addInputOutputOptions(parser, cryptcli::Format::Raw);
    int exitCode = cli::Success;
    XSimpleCrypt crypt(0);
    if (!cryptcli::parse(parser, s_xdecrypt, arguments, &exitCode)
        || !setUpKeys(parser, s_xdecrypt, true, &crypt, &exitCode))
        return exitCode;
    cryptcli::applyRequireIntegrityOption(parser, &crypt);

    QString error;
    QByteArray blob;
    if (!cryptcli::readInput(parser, true, &blob, &error))
        return cli::failure(s_xdecrypt, error);
    QByteArray plaintext;
    {
        cryptcli::QuietWarnings quiet;
        plaintext = crypt.decryptToByteArray(blob);
    }
    if (crypt.lastError() != XSimpleCrypt::NoError)
        return cli::failure(s_xdecrypt, crypt.lastErrorString());
    if (!cryptcli::writeOutput(parser, false, plaintext, &error))
        return cli::failure(s_xdecrypt, error);
    return cli::Success;
}

int runXHeader(const QStringList &arguments)
{
    QCommandLineParser parser;
    cryptcli::addMasterKeyOptions(parser);
    cryptcli::addInputOutputOptions(parser, cryptcli::Format::Raw);
    int exitCode = cli::Success;
    XSimpleCrypt crypt(0);
    if (!cryptcli::parse(parser, s_xheader, arguments, &exitCode)
        || !setUpKeys(parser, s_xheader, false, &crypt, &exitCode))
        return exitCode;
    if (crypt.masterKey() == 0)
        return cli::failure(s_xheader, XSimpleCrypt::errorString(XSimpleCrypt::NoMasterKeyError));

    QString error;
    QByteArray blob;
    if (!cryptcli::readInput(parser, true, &blob, &error))
        return cli::failure(s_xheader, error);
    QVariantMap header;
    {
        cryptcli::QuietWarnings quiet;
        header = crypt.getHeader(blob, false);
    }
    // Blobs are written without a block when the header is empty, so an
    // empty map from a present block means it could not be read.
    const int start = blob.indexOf(XSimpleCrypt::m_headerStartTag);
    if (header.isEmpty() && start >= 0 && blob.indexOf(XSimpleCrypt::m_headerEndTag) > start)
        return cli::failure(s_xheader,
                            QStringLiteral("the header block cannot be read with this master key"));
    if (!cryptcli::writeOutput(parser, false, cryptcli::toJson(header) + '\n', &error))
        return cli::failure(s_xheader, error);
    return cli::Success;
}

} // namespace

BASICS_CLI_COMMAND(xencrypt,
                   "xencrypt (--master-key HEX | --master-passphrase TEXT) [--key HEX | "
                   "--passphrase TEXT] [--store-key] [--header NAME=VALUE]... [--no-identifier] "
                   "[--compress P] [--integrity M] [--no-random-byte] [--format raw|text] "
                   "[--in FILE] [--out FILE]",
                   "Encrypt bytes to an XSimpleCrypt blob with an encrypted header", runXEncrypt)
BASICS_CLI_COMMAND(xdecrypt,
                   "xdecrypt (--master-key HEX | --master-passphrase TEXT) [--key HEX | "
                   "--passphrase TEXT] [--require-integrity] [--format raw|text] [--in FILE] "
                   "[--out FILE]",
                   "Decrypt an XSimpleCrypt blob (the header's key is used if present)", runXDecrypt)
BASICS_CLI_COMMAND(xheader,
                   "xheader (--master-key HEX | --master-passphrase TEXT) [--format raw|text] "
                   "[--in FILE] [--out FILE]",
                   "Print an XSimpleCrypt blob's header as JSON", runXHeader)
