// sysinfo [--all]: processor, OpenGL driver (of an offscreen context),
// operating system and the loaded modules of this process.
// signature FILE: the signer of a signed Windows executable or DLL.

#include "cli.h"

#include <Basics/basics.h>

#include <QFileInfo>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSysInfo>

namespace {

// The library's hardware lines, with an OpenGL context of our own current
// while they are read; without one the OpenGL fields stay empty.
QString hardwareInfo()
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (surface.isValid() && context.create() && context.makeCurrent(&surface)) {
        const QString info = Basics::getHardwareInfo();
        context.doneCurrent();
        return info;
    }
    return Basics::getHardwareInfo();
}

int runSysinfo(const QStringList &arguments)
{
    const QString command = QStringLiteral("sysinfo");
    bool all = false;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--all"))
            all = true;
        else
            return cli::usageError(command, QStringLiteral("unknown argument '%1'").arg(argument));
    }
    QTextStream &out = cli::out();
    out << hardwareInfo();
    out << "OS: " << QSysInfo::prettyProductName() << " (" << QSysInfo::kernelType() << ' '
        << QSysInfo::kernelVersion() << ", " << QSysInfo::currentCpuArchitecture() << ")\n";
    const QPair<QString, QString> release = Basics::getWindowsVersionEx();
    out << "Windows: " << Basics::getWindowsVersion() << " | " << release.first << " | "
        << release.second << '\n';
    const QStringList modules = Basics::getLoadedDlls(all);
    out << (all ? "Loaded modules" : "Loaded libraries") << " (" << modules.size() << "):\n";
    for (const QString &module : modules)
        out << "  " << module << '\n';
    out.flush();
    return cli::Success;
}

int runSignature(const QStringList &arguments)
{
    const QString command = QStringLiteral("signature");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one file"));
    const QString file = arguments.first();
    if (!QFileInfo(file).isFile())
        return cli::failure(command, file + QStringLiteral(": no such file"));
    // The library writes "Signaturgeber: <name>" to stdout, or its messages
    // to stderr.
    cli::out().flush();
    return Basics::getSignature(file).isEmpty() ? cli::Failure : cli::Success;
}

const cli::Registrar s_sysinfo(cli::Command{
    QStringLiteral("sysinfo"), QStringLiteral("sysinfo [--all]"),
    QStringLiteral("Print processor, OpenGL driver, operating system and the loaded libraries "
                   "(--all: every module)"),
    runSysinfo, true});
const cli::Registrar s_signature(cli::Command{
    QStringLiteral("signature"), QStringLiteral("signature FILE"),
    QStringLiteral("Print the signer of a signed Windows executable or DLL (\"Signaturgeber: "
                   "NAME\"; the reasons on stderr and exit 1 when there is none)"),
    runSignature});

} // namespace
