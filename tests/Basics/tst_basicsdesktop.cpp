// Program lookup, file associations and help of Basics: the search rules on
// real folders with the documented worked examples; on Linux the whole road
// through temporary XDG folders (GIO, update-mime-database); what help
// requests hand to the system's viewer; and, offscreen, the library's own
// help window on the help file made by chmcmd.

#include <Basics/basics.h>
#include <Basics/basics_desktop_p.h>
#include <Platform/desktopservices.h>
#include <Platform/serviceoverride.h>

#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <dirent.h>

using Platform::DesktopServices;
using Files = DesktopServices::ProgramFiles;
Q_DECLARE_METATYPE(Files)

namespace {

QTemporaryDir *s_root; // scratch folders and the XDG folders of this run

QString root()
{
    return s_root->path();
}

void touch(const QString &path, bool executable = false)
{
    QFile file(path);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.setPermissions(executable ? file.permissions() | QFile::ExeUser : file.permissions());
}

// The first *.exe file the file system lists in \a folder, read with readdir
// rather than the toolkit.
QString firstListedExe(const QString &folder)
{
    QString first;
    if (DIR *dir = opendir(QFile::encodeName(folder).constData())) {
        while (dirent *entry = readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            if (name.endsWith(".exe", Qt::CaseInsensitive) && first.isEmpty())
                first = folder + '/' + name;
        }
        closedir(dir);
    }
    return first;
}

// Records help requests instead of opening a viewer.
struct ScriptedViewer final : DesktopServices
{
    std::vector<Platform::InstalledProgram> installedPrograms() override { return {}; }
    Files programFiles() const override { return Files::WindowsNames; }
    bool associate(const Platform::FileAssociation &) override { return false; }
    bool executableForExtension(const std::string &, std::string *) override { return false; }
    bool showHelp(std::uintptr_t owner, const std::string &path, unsigned command,
                  std::uintptr_t data) override
    {
        calls << QStringLiteral("%1|%2|%3|%4").arg(owner).arg(QString::fromLatin1(path.c_str())).arg(command).arg(data);
        return true;
    }
    QStringList calls;
};

QTextBrowser *helpWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "BasicsHelpWindow" && !widget->isHidden())
            return qobject_cast<QTextBrowser *>(widget);
    }
    return nullptr;
}

} // namespace

class TestBasicsDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        touch(root() + "/tool/Tool.exe");
        touch(root() + "/tool/tool.ico");
        touch(root() + "/single/anything.exe");
        touch(root() + "/single/readme.txt");
        touch(root() + "/foobar/uninstall.exe");
        touch(root() + "/foobar/Foo Bar.exe");
        touch(root() + "/none/alpha.exe");
        touch(root() + "/none/beta.EXE");
        for (int i = 0; i < 3000; ++i)
            touch(root() + QStringLiteral("/many/prog%1.exe").arg(i));
        touch(root() + "/many/Target Tool.exe");
        touch(root() + "/bin/lensview", true);
        touch(root() + "/bin/lens viewer", true);
    }

    void findProgramExecutable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("entries"); // "display name|display icon|install location"
        QTest::addColumn<QString>("expected");
        QTest::addColumn<Files>("files");
        const Files windows = Files::WindowsNames;
        QTest::newRow("icon path before the index, case ignored")
            << "tool" << QStringList{"My TOOL 2.0|%D/tool/Tool.exe , 3|"} << "%D/tool/Tool.exe" << windows;
        QTest::newRow("icon file falls through to the folder")
            << "tool" << QStringList{"Tool|%D/tool/tool.ico|%D/single"} << "%D/single/anything.exe" << windows;
        QTest::newRow("missing icon falls through to the folder")
            << "tool" << QStringList{"Tool|%D/gone.exe,0|%D/tool"} << "%D/tool/Tool.exe" << windows;
        QTest::newRow("first install folder decides, even a missing one")
            << "lens" << QStringList{"Lens|%D/gone.exe|%D/vanished", "Lens 2||%D/single"} << "" << windows;
        QTest::newRow("entry without icon or folder is skipped")
            << "tool" << QStringList{"Tool A||", "Tool B|,|", "Tool C|   |", "Tool D|, 0|", "Tool E||%D/single"}
            << "%D/single/anything.exe" << windows;
        QTest::newRow("key foobar is the candidate of Foo Bar.exe")
            << "foo bar" << QStringList{"Foo Bar Suite||%D/foobar"} << "%D/foobar/Foo Bar.exe" << windows;
        QTest::newRow("candidate contained in the key")
            << "foo bar deluxe" << QStringList{"Foo Bar Deluxe||%D/foobar"} << "%D/foobar/Foo Bar.exe" << windows;
        QTest::newRow("one of thousands")
            << "Target Tool" << QStringList{"Target Tool||%D/many"} << "%D/many/Target Tool.exe" << windows;
        QTest::newRow("none fits: the first listed")
            << "gamma" << QStringList{"Gamma||%D/none"} << "%L" << windows;
        QTest::newRow("regular-expression characters are plain text")
            << "C++ (x64) [beta]" << QStringList{"Lens|%D/tool/Tool.exe|", "C++ (x64) [BETA]||%D/single"}
            << "%D/single/anything.exe" << windows;
        QTest::newRow("empty name matches every program")
            << "" << QStringList{"Anything|%D/tool/Tool.exe|"} << "%D/tool/Tool.exe" << windows;
        QTest::newRow("no display name contains the name")
            << "zoom" << QStringList{"Lens||%D/single"} << "" << windows;
        QTest::newRow("Linux: an executable file")
            << "lens" << QStringList{"Lens|%D/bin/lensview|"} << "%D/bin/lensview" << Files::ExecutableFiles;
        QTest::newRow("Linux: a file that cannot run")
            << "tool" << QStringList{"Tool|%D/tool/Tool.exe|", "Tool 2|relative/lensview|"} << "" << Files::ExecutableFiles;
    }

    void findProgramExecutable()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, entries);
        QFETCH(QString, expected);
        QFETCH(Files, files);
        std::vector<Platform::InstalledProgram> programs;
        for (const QString &entry : entries) {
            const QStringList values = QString(entry).replace("%D", root()).split('|');
            programs.push_back({values[0].toStdString(), values[1].toStdString(), values[2].toStdString()});
        }
        expected.replace("%D", root()).replace("%L", firstListedExe(root() + "/none"));
        QCOMPARE(BasicsDesktopRules::findProgramExecutable(name, programs, files), expected);
    }

#if defined(Q_OS_LINUX)
    void desktopRoundTripThroughXdgFolders()
    {
        const QString lens = root() + "/bin/lens viewer";
        QFile entry(root() + "/data/applications/lens.desktop");
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write(("[Desktop Entry]\nType=Application\nName=Optics Lens Designer\nExec=lensview %f\n"));
        entry.close();
        QCOMPARE(Basics::findProgramExecutable("lens designer"), root() + "/bin/lensview");
        QVERIFY(Basics::findProgramExecutable("no such program").isEmpty());

        Basics::createUserSpaceFileAssociation(" lenstest ", "Optics.Lens", "Lens file", "\"" + lens + "\" \"%1\"");
        QCOMPARE(Basics::getFileAssoc("lenstest"), lens);
        QCOMPARE(Basics::getFileAssoc(" .lenstest"), lens);
        // Refused: nothing is written for them.
        Basics::createUserSpaceFileAssociation("   ", "Optics.Empty", "", "lensview");
        Basics::createUserSpaceFileAssociation("lensnone", "", "", "lensview");
        Basics::createUserSpaceFileAssociation("lensslash", "Optics/Lens", "", "lensview");
        QCOMPARE(QDir(root() + "/data/applications").entryList(QDir::Files),
                 QStringList({"basics-optics.lens.desktop", "lens.desktop"}));
        QVERIFY(Basics::getFileAssoc("lensnone").isNull());
    }
#endif

    void helpRequestsToTheViewer_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QVariant>("request"); // a topic (QString) or a context (int)
        QTest::addColumn<QString>("expected"); // "path|command|data", empty: no call
        QTest::newRow("no source, topic") << "" << QVariant("intro") << "";
        QTest::newRow("no source, context") << "" << QVariant(1001) << "";
        QTest::newRow("topic") << "C:/Help/tools.chm" << QVariant("intro") << "C:/Help/tools.chm::/intro.htm|0|0";
        QTest::newRow("empty topic") << "C:/Help/tools.chm" << QVariant("") << "C:/Help/tools.chm|0|0";
        QTest::newRow("context") << "C:/Help/tools.chm" << QVariant(1001) << "C:/Help/tools.chm|15|1001";
        QTest::newRow("negative context") << "C:/Help/tools.chm" << QVariant(-1) << "C:/Help/tools.chm|15|18446744073709551615";
        QTest::newRow("Latin-1 path") << QString::fromUtf8("C:/Hilfe/\xc3\x9c" "bersicht.chm")
                                      << QVariant(QString::fromUtf8("\xce\xa9"))
                                      << QString::fromUtf8("C:/Hilfe/\xc3\x9c" "bersicht.chm::/?.htm|0|0");
    }

    void helpRequestsToTheViewer()
    {
        QFETCH(QString, source);
        QFETCH(QVariant, request);
        QFETCH(QString, expected);
        ScriptedViewer viewer;
        const Platform::ScopedOverride<DesktopServices> scripted(viewer);
        Basics::setHtmlHelpSource(source);
        for (const bool withMainWindow : {false, true}) {
            std::unique_ptr<QMainWindow> window(withMainWindow ? new QMainWindow : nullptr);
            viewer.calls.clear();
            if (request.type() == QVariant::Int)
                Basics::showHtmlHelpTopic(request.toInt());
            else
                Basics::showHtmlHelpTopic(request.toString());
            const QString owner = QString::number(window ? window->winId() : 0);
            QCOMPARE(viewer.calls, expected.isEmpty() ? QStringList() : QStringList(owner + '|' + expected));
        }
        Basics::setHtmlHelpSource(QString());
    }

#if !defined(Q_OS_WIN)
    void ownHelpWindow_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QVariant>("request");
        QTest::addColumn<QString>("shown"); // the page's heading, empty: no window
        const QString help = BASICS_HELP_TESTDATA_DIR "/help.chm";
        QTest::newRow("topic") << help << QVariant("intro") << "Introduction page";
        QTest::newRow("topic in a folder") << help << QVariant("sub/details") << "Details page";
        QTest::newRow("empty topic: default page") << help << QVariant("") << "Welcome page";
        QTest::newRow("mapped context") << help << QVariant(1002) << "Details page";
        QTest::newRow("unmapped context: default page") << help << QVariant(4711) << "Welcome page";
        QTest::newRow("missing page") << help << QVariant("nosuch") << "";
        QTest::newRow("missing file") << root() + "/none.chm" << QVariant("intro") << "";
        QTest::newRow("not a help file") << root() + "/single/readme.txt" << QVariant("intro") << "";
    }

    void ownHelpWindow()
    {
        QFETCH(QString, source);
        QFETCH(QVariant, request);
        QFETCH(QString, shown);
        QMainWindow main;
        Basics::setHtmlHelpSource(source);
        if (request.type() == QVariant::Int)
            Basics::showHtmlHelpTopic(request.toInt());
        else
            Basics::showHtmlHelpTopic(request.toString());
        QTextBrowser *window = helpWindow();
        QCOMPARE(window ? window->toPlainText().section('\n', 0, 0) : QString(), shown);
        if (!window)
            return;
        QCOMPARE(window->parentWidget(), &main);
        // Links inside the file are followed there, relative to the page.
        for (const auto &[link, heading] : {std::pair("sub/details.htm", "Details page"),
                                            std::pair("../index.htm", "Welcome page"),
                                            std::pair("intro.htm", "Introduction page")}) {
            window->setSource(QUrl("/index.htm"));
            if (QString(link).startsWith(".."))
                window->setSource(QUrl("sub/details.htm"));
            window->setSource(QUrl(link));
            QCOMPARE(window->toPlainText().section('\n', 0, 0), QString(heading));
        }
        window->close();
    }
#endif
};

int main(int argc, char **argv)
{
    QTemporaryDir root;
    s_root = &root;
    // GIO reads these once, before the first use.
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.path() + "/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.path() + "/config"));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(root.path() + "/system"));
    qputenv("PATH", QFile::encodeName(root.path() + "/bin:") + qgetenv("PATH"));
    QDir().mkpath(root.path() + "/data/applications");
    QApplication application(argc, argv);
    TestBasicsDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_basicsdesktop.moc"
