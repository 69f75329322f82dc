#pragma once

// The frame of basics-cli: subcommands register themselves, main() finds
// and runs them.
//
// A subcommand is a function taking the arguments after its name and
// returning the exit code: 0 on success, 1 when the operation failed (one
// line on stderr, nothing half-written on stdout), 2 on bad usage.
//
//     static int runId(const QStringList &args) { ... }
//     BASICS_CLI_COMMAND(id, "id [COUNT]", "Print COUNT fresh identifiers", runId)

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <QTextStream>

#include <functional>
#include <memory>
#include <vector>

class AtomicFile;

namespace cli {

enum ExitCode { Success = 0, Failure = 1, BadUsage = 2 };

struct Command
{
    QString name;
    QString synopsis; // usage line after "basics-cli "
    QString summary;  // one sentence for the help text
    std::function<int(const QStringList &arguments)> run;
    /// The command needs the GUI toolkit (OpenGL, windows): it runs under a
    /// QGuiApplication, on the offscreen platform when there is no display.
    bool needsGui = false;
};

const std::vector<Command> &commands();
const Command *findCommand(const QString &name);

struct Registrar
{
    explicit Registrar(Command command);
};

/// Text streams on stdout and stderr (UTF-8).
QTextStream &out();
QTextStream &err();

/// Writes raw bytes to stdout (binary output of a subcommand).
bool writeStdout(const QByteArray &bytes);
/// Reads all of stdin.
QByteArray readStdin();

// --- Files of the commands ------------------------------------------------------
//
// Wherever a command takes a file, "-" stands for standard input or output.
// Every output file goes through Output: it is written beside the target and
// renamed over it only when everything was written, flushed and checked, so
// a failure (a full disk, a killed process, an error of the command) leaves
// the previous file as it was. An existing output that is not a regular file
// (a FIFO, /dev/null) is written directly instead of being replaced, and
// standard output gets everything at the commit (spooled to a temporary
// file meanwhile), so a failure leaves nothing half-written there either.

/// A command's input, read in pieces: a file, or standard input for "-".
class Input
{
public:
    /// False when the file cannot be opened; see error().
    bool open(const QString &path);
    /// Up to \a maxSize bytes; 0 at the end, -1 on an error.
    qint64 read(char *data, qint64 maxSize);
    /// "cannot read <path>: <reason>"
    QString error() const;

private:
    QFile m_file;
    QString m_path;
};

/// A command's output: written whole or not at all (see above).
class Output
{
public:
    Output();
    ~Output();
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;

    /// False when the file cannot be created; see error().
    bool open(const QString &path);
    /// False on an error; the commit then fails too.
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    /// Flushes, checks and puts the file in place; false (previous file
    /// untouched) when anything went wrong.
    bool commit();
    /// "cannot write <path>: <reason>"
    QString error() const;

private:
    bool copySpoolToStdout();

    std::unique_ptr<AtomicFile> m_file; // a file: the library's own writer
    QTemporaryFile m_spool;             // standard output, until the commit
    QString m_path;
    QString m_reason;
    bool m_failed = false;
};

/// The whole input at \a path ("-": standard input); false with \a error.
bool readInput(const QString &path, QByteArray *bytes, QString *error);
/// Writes \a bytes as the whole output at \a path ("-": standard output)
/// through Output; false with \a error.
bool writeOutput(const QString &path, const QByteArray &bytes, QString *error);
/// A file the library can open for \a path: the path itself, or for "-" a
/// copy of standard input in \a dir. False with \a error.
bool inputFile(const QString &path, const QString &dir, QString *file, QString *error);

/// "basics-cli <command>: <message>" plus a usage hint on stderr; returns 2.
int usageError(const QString &command, const QString &message);
/// "basics-cli <command>: <message>" on stderr; returns 1.
int failure(const QString &command, const QString &message);

/// Parses a non-negative decimal count; false if \a text is not one.
bool parseCount(const QString &text, int minimum, int maximum, int *value);

/// Splits \a arguments into the value of an option "-o FILE" (null when
/// absent) and the other arguments; false when "-o" has no value or comes
/// twice.
bool splitOutputOption(const QStringList &arguments, QStringList *positional, QString *output);

} // namespace cli

#define BASICS_CLI_COMMAND(identifier, synopsis, summary, function)                               \
    static const ::cli::Registrar s_register_##identifier(                                         \
        ::cli::Command{QStringLiteral(#identifier), QStringLiteral(synopsis),                      \
                       QStringLiteral(summary), function});
