#include "cli.h"

#include "Basics/atomicfile_p.h"

#include <QFile>
#include <QTemporaryFile>

#include <cstdio>
#include <limits>

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

bool Input::open(const QString &path)
{
    m_path = path;
    if (path == QLatin1String("-")) {
        useBinaryMode(stdin);
        return m_file.open(stdin, QIODevice::ReadOnly);
    }
    m_file.setFileName(path);
    return m_file.open(QIODevice::ReadOnly);
}

qint64 Input::read(char *data, qint64 maxSize)
{
    return m_file.read(data, maxSize);
}

QString Input::error() const
{
    const QString name = m_path == QLatin1String("-") ? QStringLiteral("standard input") : m_path;
    return QStringLiteral("cannot read %1: %2").arg(name, m_file.errorString());
}

Output::Output() = default;
Output::~Output() = default;

bool Output::open(const QString &path)
{
    m_path = path;
    m_failed = false;
    m_reason.clear();
    m_file.reset();
    if (path == QLatin1String("-")) {
        // Spooled, so that a failure leaves nothing half-written on stdout.
        return m_spool.open();
    }
    m_file = std::make_unique<AtomicFile>(path);
    if (m_file->open())
        return true;
    m_reason = m_file->errorString();
    m_file.reset();
    m_failed = true;
    return false;
}

bool Output::write(const char *data, qint64 size)
{
    if (m_failed)
        return false;
    if (m_file)
        m_failed = !m_file->write(data, size);
    else if (!m_spool.isOpen() || (size > 0 && m_spool.write(data, size) != size))
        m_failed = true;
    return !m_failed;
}

bool Output::commit()
{
    if (m_file) {
        if (m_file->commit())
            return true;
        m_reason = m_file->errorString();
        m_failed = true;
        return false;
    }
    if (!m_spool.isOpen())
        return false;
    if (!m_failed && !m_spool.flush())
        m_failed = true;
    if (!m_failed)
        m_failed = !copySpoolToStdout();
    if (m_failed && m_reason.isEmpty())
        m_reason = m_spool.errorString();
    m_spool.close();
    return !m_failed;
}

bool Output::copySpoolToStdout()
{
    out().flush();
    useBinaryMode(stdout);
    QFile stdoutFile;
    if (!m_spool.seek(0) || !stdoutFile.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = m_spool.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0) {
            if (stdoutFile.flush())
                return true;
            m_reason = stdoutFile.errorString();
            return false;
        }
        if (stdoutFile.write(buffer, got) != got) {
            m_reason = stdoutFile.errorString();
            return false;
        }
    }
}

QString Output::error() const
{
    const QString name = m_path == QLatin1String("-") ? QStringLiteral("standard output") : m_path;
    QString reason = m_reason;
    if (reason.isEmpty())
        reason = m_file ? m_file->errorString() : m_spool.errorString();
    return QStringLiteral("cannot write %1: %2").arg(name, reason);
}

bool readInput(const QString &path, QByteArray *bytes, QString *error)
{
    Input input;
    if (!input.open(path)) {
        *error = input.error();
        return false;
    }
    QByteArray all;
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = input.read(buffer, sizeof buffer);
        if (got < 0) {
            *error = input.error();
            return false;
        }
        if (got == 0)
            break;
        // A byte array holds less than 2 GiB: refuse more instead of cutting
        // the input short or running into the toolkit's allocation abort.
        if (got > std::numeric_limits<int>::max() - 64 - all.size()) {
            *error = QStringLiteral("%1: the input is too large (at most 2 GiB)").arg(path);
            return false;
        }
        all.append(buffer, int(got));
    }
    *bytes = all;
    return true;
}

bool writeOutput(const QString &path, const QByteArray &bytes, QString *error)
{
    Output output;
    if (!output.open(path) || !output.write(bytes) || !output.commit()) {
        *error = output.error();
        return false;
    }
    return true;
}

bool inputFile(const QString &path, const QString &dir, QString *file, QString *error)
{
    if (path != QLatin1String("-")) {
        *file = path;
        return true;
    }
    QByteArray bytes;
    if (!readInput(path, &bytes, error))
        return false;
    *file = dir + QStringLiteral("/stdin");
    return writeOutput(*file, bytes, error);
}

bool splitOutputOption(const QStringList &arguments, QStringList *positional, QString *output)
{
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) != QLatin1String("-o")) {
            *positional << arguments.at(i);
            continue;
        }
        if (i + 1 >= arguments.size() || !output->isNull())
            return false;
        *output = arguments.at(++i);
    }
    return true;
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
