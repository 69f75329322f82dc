#include "cli.h"

#include <QFile>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace cli {

namespace {

// Bytes pass unchanged: in the C runtime's text mode Windows would turn line
// feeds into CR LF on output, and CR LF into line feeds (stopping at Ctrl+Z)
// on input, damaging cyphertexts and compressed data.
void useBinaryMode(FILE *file)
{
#ifdef Q_OS_WIN
    std::fflush(file);
    _setmode(_fileno(file), _O_BINARY);
#else
    Q_UNUSED(file)
#endif
}

std::vector<Command> &registry()
{
    static std::vector<Command> all;
    return all;
}

QTextStream &stream(FILE *file)
{
    QFile *device = new QFile; // lives for the whole program
    device->open(file, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QTextStream *text = new QTextStream(device);
    text->setCodec("UTF-8");
    return *text;
}

} // namespace

Registrar::Registrar(Command command)
{
    registry().push_back(std::move(command));
}

const std::vector<Command> &commands()
{
    return registry();
}

const Command *findCommand(const QString &name)
{
    for (const Command &command : registry()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

QTextStream &out()
{
    static QTextStream &text = stream(stdout);
    return text;
}

QTextStream &err()
{
    static QTextStream &text = stream(stderr);
    return text;
}

bool writeStdout(const QByteArray &bytes)
{
    out().flush();
    useBinaryMode(stdout);
    QFile file;
    if (!file.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray readStdin()
{
    useBinaryMode(stdin);
    QFile file;
    if (!file.open(stdin, QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

int usageError(const QString &command, const QString &message)
{
    err() << "basics-cli " << command << ": " << message
          << " (see 'basics-cli help " << command << "')\n";
    err().flush();
    return BadUsage;
}

int failure(const QString &command, const QString &message)
{
    err() << "basics-cli " << command << ": " << message << "\n";
    err().flush();
    return Failure;
}

bool parseCount(const QString &text, int minimum, int maximum, int *value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok, 10);
    if (!ok || parsed < minimum || parsed > maximum)
        return false;
    *value = parsed;
    return true;
}

} // namespace cli
