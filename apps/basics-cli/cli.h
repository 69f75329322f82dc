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
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

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

/// "basics-cli <command>: <message>" plus a usage hint on stderr; returns 2.
int usageError(const QString &command, const QString &message);
/// "basics-cli <command>: <message>" on stderr; returns 1.
int failure(const QString &command, const QString &message);

/// Parses a non-negative decimal count; false if \a text is not one.
bool parseCount(const QString &text, int minimum, int maximum, int *value);

} // namespace cli

#define BASICS_CLI_COMMAND(identifier, synopsis, summary, function)                               \
    static const ::cli::Registrar s_register_##identifier(                                         \
        ::cli::Command{QStringLiteral(#identifier), QStringLiteral(synopsis),                      \
                       QStringLiteral(summary), function});
