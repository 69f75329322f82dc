// basics-cli: the library's file formats and helpers from the command line.

#include "cli.h"

#include <basicsdll_version.h>

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

namespace {

void printHelp(QTextStream &stream)
{
    stream << "Usage: basics-cli COMMAND [ARGUMENTS]\n"
              "       basics-cli help COMMAND | --help | --version\n\n"
              "Commands:\n";
    std::vector<cli::Command> sorted = cli::commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const cli::Command &a, const cli::Command &b) { return a.name < b.name; });
    constexpr int synopsisWidth = 34;
    for (const cli::Command &command : sorted) {
        if (command.synopsis.size() <= synopsisWidth)
            stream << "  " << command.synopsis.leftJustified(synopsisWidth) << ' '
                   << command.summary << "\n";
        else // long option lists: the summary goes on a line of its own
            stream << "  " << command.synopsis << "\n"
                   << QString(synopsisWidth + 3, QLatin1Char(' ')) << command.summary << "\n";
    }
    stream << "\nExit codes: 0 success, 1 failure, 2 bad usage.\n";
    stream.flush();
}

int printCommandHelp(const cli::Command &command)
{
    cli::out() << "Usage: basics-cli " << command.synopsis << "\n" << command.summary << "\n";
    cli::out().flush();
    return cli::Success;
}

int dispatch(QStringList arguments)
{
    if (arguments.isEmpty()) {
        printHelp(cli::err());
        return cli::BadUsage;
    }
    const QString first = arguments.takeFirst();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        printHelp(cli::out());
        return cli::Success;
    }
    if (first == QLatin1String("--version")) {
        cli::out() << "basics-cli " << BASICSDLL_VERSION_STRING << " (BasicsDLL "
                   << BASICSDLL_VERSION_STRING << ")\n";
        cli::out().flush();
        return cli::Success;
    }
    if (first == QLatin1String("help")) {
        if (arguments.isEmpty()) {
            printHelp(cli::out());
            return cli::Success;
        }
        if (const cli::Command *command = cli::findCommand(arguments.first()))
            return printCommandHelp(*command);
        cli::err() << "basics-cli: unknown command '" << arguments.first() << "'\n";
        return cli::BadUsage;
    }

    const cli::Command *command = cli::findCommand(first);
    if (!command) {
        cli::err() << "basics-cli: unknown command '" << first
                   << "' (see 'basics-cli --help')\n";
        return cli::BadUsage;
    }
    if (!arguments.isEmpty()
        && (arguments.first() == QLatin1String("--help") || arguments.first() == QLatin1String("-h")))
        return printCommandHelp(*command);
    try {
        return command->run(arguments);
    } catch (const std::bad_alloc &) {
        // A large input under a memory limit: one line, like every failure,
        // instead of the runtime's abort. Nothing has been written: commands
        // write their output only once it is complete.
        return cli::failure(command->name, QStringLiteral("not enough memory"));
    }
}

// The toolkit's own warnings (image decoders, the platform plugin) would add
// lines to the one line a failure writes.
void dropToolkitWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The application object the command named on the command line needs:
// commands that handle pixmaps, icons or OpenGL run under a QGuiApplication,
// on the offscreen platform when there is no display.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    const cli::Command *command =
        argc > 1 ? cli::findCommand(QString::fromLocal8Bit(argv[1])) : nullptr;
    if (!command || !command->needsGui)
        return std::make_unique<QCoreApplication>(argc, argv);
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    qInstallMessageHandler(dropToolkitWarnings);
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("basics-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BASICSDLL_VERSION_STRING));

    const int code = dispatch(QCoreApplication::arguments().mid(1));
    cli::out().flush();
    cli::err().flush();
    return code;
}
