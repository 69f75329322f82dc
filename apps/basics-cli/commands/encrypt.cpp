// encrypt / decrypt: SimpleCrypt cyphertexts from scripts.

#include "commands/cryptcommon.h"

#include <Crypt/xsimplecrypt.h>

namespace {

const QString s_encrypt = QStringLiteral("encrypt");
const QString s_decrypt = QStringLiteral("decrypt");

bool keyFrom(const QCommandLineParser &parser, const QString &command, quint64 *key, int *exitCode)
{
    if (!parser.isSet(QStringLiteral("key"))) {
        *exitCode = cli::usageError(command, QStringLiteral("--key is required"));
        return false;
    }
    if (!cryptcli::parseKey(parser.value(QStringLiteral("key")), key)) {
        *exitCode = cli::usageError(command, QStringLiteral("--key must be 16 hex digits"));
        return false;
    }
    return true;
}

int runEncrypt(const QStringList &arguments)
{
    QCommandLineParser parser;
    cryptcli::addDataKeyOptions(parser, false);
    cryptcli::addCypherOptions(parser);
    cryptcli::addInputOutputOptions(parser, cryptcli::Format::Text);
    int exitCode = cli::Success;
    quint64 key = 0;
    if (!cryptcli::parse(parser, s_encrypt, arguments, &exitCode)
        || !keyFrom(parser, s_encrypt, &key, &exitCode))
        return exitCode;
    SimpleCrypt crypt(key);
    QString error;
    if (!cryptcli::applyCypherOptions(parser, &crypt, &error))
        return cli::usageError(s_encrypt, error);

    QByteArray plaintext;
    if (!cryptcli::readInput(parser, false, &plaintext, &error))
        return cli::failure(s_encrypt, error);
    QByteArray cypher;
    {
        cryptcli::QuietWarnings quiet;
        cypher = crypt.encryptToByteArray(plaintext);
    }
    // With a key, encryption fails only when the cyphertext cannot be made.
    if (crypt.errorCode() == SimpleCrypt::IntegrityError)
        return cli::failure(s_encrypt, cryptcli::tooLargeToEncrypt());
    if (crypt.errorCode() != SimpleCrypt::NoError || cypher.isEmpty())
        return cli::failure(s_encrypt, XSimpleCrypt::errorString(crypt.errorCode()));
    if (!cryptcli::writeOutput(parser, true, cypher, &error))
        return cli::failure(s_encrypt, error);
    return cli::Success;
}

int runDecrypt(const QStringList &arguments)
{
    QCommandLineParser parser;
    cryptcli::addDataKeyOptions(parser, false);
    cryptcli::addRequireIntegrityOption(parser);
    cryptcli::addInputOutputOptions(parser, cryptcli::Format::Text);
    int exitCode = cli::Success;
    quint64 key = 0;
    if (!cryptcli::parse(parser, s_decrypt, arguments, &exitCode)
        || !keyFrom(parser, s_decrypt, &key, &exitCode))
        return exitCode;

    QString error;
    QByteArray cypher;
    if (!cryptcli::readInput(parser, true, &cypher, &error))
        return cli::failure(s_decrypt, error);
    // The library leaves its error alone for such input; say it here.
    if (cypher.size() < 3)
        return cli::failure(s_decrypt, QStringLiteral("the input is shorter than a cyphertext"));
    SimpleCrypt crypt(key);
    cryptcli::applyRequireIntegrityOption(parser, &crypt);
    QByteArray plaintext;
    {
        cryptcli::QuietWarnings quiet;
        plaintext = crypt.decryptToByteArray(cypher);
    }
    if (crypt.errorCode() != SimpleCrypt::NoError)
        return cli::failure(s_decrypt, XSimpleCrypt::errorString(crypt.errorCode()));
    if (!cryptcli::writeOutput(parser, false, plaintext, &error))
        return cli::failure(s_decrypt, error);
    return cli::Success;
}

} // namespace

BASICS_CLI_COMMAND(encrypt,
                   "encrypt --key HEX [--compress P] [--integrity M] [--no-random-byte] "
                   "[--format text|raw] [--in FILE] [--out FILE]",
                   "Encrypt bytes to a SimpleCrypt cyphertext (Base64 text by default)", runEncrypt)
BASICS_CLI_COMMAND(decrypt,
                   "decrypt --key HEX [--require-integrity] [--format text|raw] [--in FILE] "
                   "[--out FILE]",
                   "Decrypt a SimpleCrypt cyphertext (Base64 text by default)", runDecrypt)
