// Client of the installed package: program lookup, file associations and
// help, one call each.

#include "clientcheck.h"

#include <Basics/basics.h>

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    CLIENT_CHECK(Basics::findProgramExecutable("no such program of the client").isEmpty());
    CLIENT_CHECK(Basics::getFileAssoc("nosuchclientextension").isNull());
    Basics::showHtmlHelpTopic("intro"); // no help source: nothing happens
    return CLIENT_RESULT();
}
