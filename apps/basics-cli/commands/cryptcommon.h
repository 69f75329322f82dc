#pragma once

// What the encrypt, decrypt, xencrypt, xdecrypt and xheader subcommands
// share: their options, reading the input, writing the output whole or not
// at all, keys in hex, and the error texts.

#include "cli.h"

#include <Crypt/simplecrypt.h>

#include <QByteArray>
#include <QCommandLineParser>
#include <QVariant>

namespace cryptcli {

enum class Format { Text, Raw };

/// --in FILE, --out FILE (default stdin and stdout), --format text|raw.
void addInputOutputOptions(QCommandLineParser &parser, Format defaultFormat);
/// --compress if-smaller|always|never, --integrity checksum|hash|none,
/// --no-random-byte.
void addCypherOptions(QCommandLineParser &parser);
/// --require-integrity (decryption only).
void addRequireIntegrityOption(QCommandLineParser &parser);
/// With --require-integrity, refuse cyphertexts without checksum or hash.
void applyRequireIntegrityOption(const QCommandLineParser &parser, SimpleCrypt *crypt);
/// --master-key HEX, --master-passphrase TEXT.
void addMasterKeyOptions(QCommandLineParser &parser);
/// --key HEX, --passphrase TEXT (the latter only with a master key).
void addDataKeyOptions(QCommandLineParser &parser, bool withPassphrase);

/// Parses \a arguments (without the program and command names); on a
/// problem, prints the usage error and returns false with \a exitCode set.
bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
           int *exitCode);

/// Exactly 16 hexadecimal digits.
bool parseKey(const QString &text, quint64 *key);

/// Applies --compress, --integrity and --no-random-byte; false on a bad value.
bool applyCypherOptions(const QCommandLineParser &parser, SimpleCrypt *crypt, QString *error);
/// The master key from --master-key or --master-passphrase (exactly one).
bool masterKey(const QCommandLineParser &parser, quint64 *key, QString *error);

Format format(const QCommandLineParser &parser);
/// Reads --in (or stdin); with the text format, strict Base64 (surrounding
/// white space allowed). An input larger than a byte array holds (about
/// 2 GiB) is refused, never cut short.
bool readInput(const QCommandLineParser &parser, bool decodeText, QByteArray *data,
               QString *error);
/// Writes to --out (replaced only when complete) or stdout; with the text
/// format, Base64 and a line break.
bool writeOutput(const QCommandLineParser &parser, bool encodeText, const QByteArray &data,
                 QString *error);

/// The failure text when the library cannot make a cyphertext of the input
/// (larger than a byte array holds, or not enough memory).
QString tooLargeToEncrypt();

/// JSON with integers kept exact (64-bit keys do not fit a double).
QByteArray toJson(const QVariant &value);

/// Keeps the library's own warnings off stderr while alive: the command
/// reports the failure itself, in one line.
class QuietWarnings
{
public:
    QuietWarnings();
    ~QuietWarnings();
    QuietWarnings(const QuietWarnings &) = delete;
    QuietWarnings &operator=(const QuietWarnings &) = delete;

private:
    QtMessageHandler m_previous;
};

} // namespace cryptcli
