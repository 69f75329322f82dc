// Client of the installed package: the window organizer and detached
// process start, one call each.

#include "clientcheck.h"

#include <WProcess/wprocess.h>
#include <WindowOrganizer/windoworganizer.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    QTemporaryDir home; // a store of its own
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QApplication application(argc, argv);

    WindowOrganizer organizer("BasicsDLL client", "Family", "Client", nullptr);
    CLIENT_CHECK(organizer.getAllTools() == QStringList{"Client"});

    WProcess process;
    CLIENT_CHECK(!process.startDetached(home.filePath("missing"), {}, QString()));
    return CLIENT_RESULT();
}
