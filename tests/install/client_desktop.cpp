// Client of the installed package: program lookup, a file association and
// help, used as a tool would use them, in temporary XDG folders (Linux).

#include "clientcheck.h"

#include <Basics/basics.h>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>

namespace {

void write(const QString &path, const QByteArray &content, bool executable = false)
{
    QFile file(path);
    CLIENT_CHECK(file.open(QIODevice::WriteOnly));
    file.write(content);
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeUser);
}

bool helpWindowShows(const QString &heading)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "BasicsHelpWindow" && widget->isVisible())
            return widget->property("plainText").toString().startsWith(heading);
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    const QString bin = root.path() + "/bin";
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + "/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + "/config"));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(root.path() + "/system"));
    QApplication application(argc, argv);
    QMainWindow main;

    CLIENT_CHECK(QDir().mkpath(bin) && QDir().mkpath(root.path() + "/data/applications"));
    write(bin + "/My Tool", "#!/bin/sh\n", true);
    write(root.path() + "/data/applications/mytool.desktop",
          "[Desktop Entry]\nType=Application\nName=My TOOL 2.0\nExec=\"" + QFile::encodeName(bin)
              + "/My Tool\" %f\n");
    CLIENT_CHECK(Basics::findProgramExecutable("tool") == bin + "/My Tool");
    CLIENT_CHECK(Basics::findProgramExecutable("C++ (x64)").isEmpty());

    Basics::createUserSpaceFileAssociation(" xyz ", "Client.Xyz", "Xyz file", "\"" + bin + "/My Tool\" \"%1\"");
    CLIENT_CHECK(Basics::getFileAssoc("xyz") == bin + "/My Tool");
    CLIENT_CHECK(Basics::getFileAssoc(".xyz") == bin + "/My Tool");
    CLIENT_CHECK(Basics::getFileAssoc("nosuchclientextension").isNull());

    // Without a source nothing opens; with the project's help file (inside
    // the build tree) the topic page and the default page.
    Basics::showHtmlHelpTopic("intro");
    Basics::showHtmlHelpTopic(1001);
    CLIENT_CHECK(!helpWindowShows(""));
    const QString help = QCoreApplication::applicationDirPath() + "/../../../testdata/help/help.chm";
    if (QFile::exists(help)) {
        Basics::setHtmlHelpSource(help);
        Basics::showHtmlHelpTopic("intro");
        CLIENT_CHECK(helpWindowShows("Introduction page"));
        Basics::showHtmlHelpTopic("");
        CLIENT_CHECK(helpWindowShows("Welcome page"));
    } else {
        std::printf("help test file not found, its checks skipped\n");
    }
    return CLIENT_RESULT();
}
