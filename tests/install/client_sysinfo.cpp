// Client of the installed package: system information and taskbar
// progress, used as a tool would use them, with the documented edge cases.

#include "clientcheck.h"

#include <Basics/basics.h>
#include <TaskbarProgress/taskbarprogress.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

#include <climits>
#include <cstdio>

namespace {

void systemInformation()
{
    // No OpenGL context is current: the three fields are empty.
    const QString hardware = Basics::getHardwareInfo();
    CLIENT_CHECK(hardware.startsWith(QLatin1String("CPU: ")));
    CLIENT_CHECK(hardware.endsWith(QLatin1String(" logical cores)\nOpenGL:  |  | \n")));
#if !defined(Q_OS_WIN)
    CLIENT_CHECK(Basics::getWindowsVersion().isEmpty());
    const QPair<QString, QString> release = Basics::getWindowsVersionEx();
    CLIENT_CHECK(release.first == QLatin1String("not detectable"));
    CLIENT_CHECK(release.second == QLatin1String("not detectable"));
#endif

    const QStringList libraries = Basics::getLoadedDlls(false);
    const QStringList all = Basics::getLoadedDlls(true);
    const QString program = QCoreApplication::applicationFilePath();
    bool library = false;
    for (const QString &path : libraries)
        library = library || QFileInfo(path).fileName().startsWith(QLatin1String("libBasicsDLL.so"));
    CLIENT_CHECK(library);
    CLIENT_CHECK(!libraries.contains(program));
    CLIENT_CHECK(all.contains(program));

    CLIENT_CHECK(Basics::getSignature(QStringLiteral("/no/such/file.exe")).isEmpty());
    // The project's signed test file, when this client runs inside the
    // build tree: its CA is stored first, the signer is the leaf.
    const QString signedFile = QCoreApplication::applicationDirPath()
        + QStringLiteral("/../../../testdata/signed/issuer-first.exe");
    if (QFile::exists(signedFile))
        CLIENT_CHECK(Basics::getSignature(signedFile)
                     == QLatin1String("Precision Optics Release Signing"));
    else
        std::printf("signed test file not found, its check skipped\n");
}

void taskbarProgress()
{
    TaskbarProgress detached(nullptr);
    CLIENT_CHECK(detached.minimum() == 0 && detached.maximum() == 100 && detached.value() == 0);
    detached.setMaximum(-5);
    CLIENT_CHECK(detached.minimum() == -5 && detached.maximum() == 0 && detached.value() == 0);
    detached.setValue(150);
    CLIENT_CHECK(detached.value() == 0);

    QWidget window;
    auto *progress = new TaskbarProgress(&window);
    CLIENT_CHECK(progress->parent() == &window);
    progress->setMinimum(INT_MIN);
    progress->setMaximum(INT_MAX);
    progress->setValue(INT_MAX);
    CLIENT_CHECK(progress->value() == INT_MAX);
    progress->setMinimum(INT_MAX); // an empty range
    CLIENT_CHECK(progress->minimum() == INT_MAX && progress->value() == INT_MAX);
    progress->show();
    progress->hide();
#if !defined(Q_OS_WIN)
    CLIENT_CHECK(progress->getTaskbarPtr() == nullptr);
#endif
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    systemInformation();
    taskbarProgress();
    return CLIENT_RESULT();
}
