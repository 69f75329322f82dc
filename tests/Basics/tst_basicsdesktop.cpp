// Program lookup, associations and help of Basics: the search rules on real
// folders, what reaches a scripted desktop backend, and the own help window.

#include <Basics/basics.h>
#include <Platform/desktopservices.h>
#include <Platform/serviceoverride.h>

#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <dirent.h>
#include <functional>
#include <memory>

using Platform::DesktopServices;
using Files = DesktopServices::ProgramFiles;
using Request = std::function<void()>;
Q_DECLARE_METATYPE(Files)
Q_DECLARE_METATYPE(Request)

namespace {

QTemporaryDir *s_root; // scratch folders of this run

QString root() { return s_root->path(); }

void touch(const QString &path, bool executable = false)
{
    QFile file(path);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly));
    file.setPermissions(executable ? file.permissions() | QFile::ExeUser : file.permissions());
}

// The first *.exe file the file system lists in \a folder, read with readdir
// rather than the toolkit.
QString firstListedExe(const QString &folder)
{
    QString first;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    while (dirent *entry = dir ? readdir(dir) : nullptr) {
        if (QByteArray(entry->d_name).toLower().endsWith(".exe") && first.isEmpty())
            first = folder + '/' + QFile::decodeName(entry->d_name);
    }
    if (dir)
        closedir(dir);
    return first;
}

// Gives the installed programs it is told, records what it is asked.
struct ScriptedDesktop final : DesktopServices
{
    std::vector<Platform::InstalledProgram> programs;
    Files files = Files::WindowsNames;
    QStringList calls;

    std::vector<Platform::InstalledProgram> installedPrograms() override { return programs; }
    Files programFiles() const override { return files; }
    bool associate(const Platform::FileAssociation &a) override
    {
        calls << QString::fromStdString("associate|" + a.extension + "|" + a.progId + "|" + a.description + "|" + a.command);
        return true;
    }
    bool executableForExtension(const std::string &extension, std::string *program) override
    {
        calls << QString::fromStdString("lookup|" + extension);
        *program = "/bin/viewer";
        return true;
    }
    bool showHelp(std::uintptr_t owner, const std::string &path, unsigned command, std::uintptr_t data) override
    {
        calls << QStringLiteral("%1|%2|%3|%4").arg(owner).arg(QString::fromLatin1(path.c_str())).arg(command).arg(data);
        return true;
    }
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
        for (const char *file : {"/tool/Tool.exe", "/tool/tool.ico", "/single/anything.exe", "/single/readme.txt",
                                 "/foobar/uninstall.exe", "/foobar/Foo Bar.exe", "/none/alpha.exe", "/none/beta.EXE",
                                 "/many/Target Tool.exe"})
            touch(root() + file);
        for (int i = 0; i < 3000; ++i)
            touch(root() + QStringLiteral("/many/prog%1.exe").arg(i));
        touch(root() + "/bin/lensview", true);
    }

    void findProgramExecutable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("entries"); // "display name|display icon|install location"
        QTest::addColumn<QString>("expected");    // %D: the scratch folder, %L: first listed in %D/none
        QTest::addColumn<Files>("files");
        const auto row = [](const char *tag, const char *name, const QStringList &entries, const char *expected,
                            Files files = Files::WindowsNames) { QTest::newRow(tag) << name << entries << expected << files; };
        row("icon path before the index, case ignored", "tool", {"My TOOL 2.0|%D/tool/Tool.exe , 3|"}, "%D/tool/Tool.exe");
        row("icon file falls through to the folder", "tool", {"Tool|%D/tool/tool.ico|%D/single"}, "%D/single/anything.exe");
        row("missing icon falls through to the folder", "tool", {"Tool|%D/gone.exe,0|%D/tool"}, "%D/tool/Tool.exe");
        row("first install folder decides, even a missing one", "lens",
            {"Lens|%D/gone.exe|%D/vanished", "Lens 2||%D/single"}, "");
        row("entry without icon or folder is skipped", "tool",
            {"Tool A||", "Tool B|,|", "Tool C|   |", "Tool D|, 0|", "Tool E||%D/single"}, "%D/single/anything.exe");
        row("key foobar is the candidate of Foo Bar.exe", "foo bar", {"Foo Bar Suite||%D/foobar"}, "%D/foobar/Foo Bar.exe");
        row("candidate contained in the key", "foo bar deluxe", {"Foo Bar Deluxe||%D/foobar"}, "%D/foobar/Foo Bar.exe");
        row("one of thousands", "Target Tool", {"Target Tool||%D/many"}, "%D/many/Target Tool.exe");
        row("none fits: the first listed", "gamma", {"Gamma||%D/none"}, "%L");
        row("regular-expression characters are plain text", "C++ (x64) [beta]",
            {"Lens|%D/tool/Tool.exe|", "C++ (x64) [BETA]||%D/single"}, "%D/single/anything.exe");
        row("empty name matches every program", "", {"Anything|%D/tool/Tool.exe|"}, "%D/tool/Tool.exe");
        row("no display name contains the name", "zoom", {"Lens||%D/single"}, "");
        row("Linux: an executable file", "lens", {"Lens|%D/bin/lensview|"}, "%D/bin/lensview", Files::ExecutableFiles);
        row("Linux: a file that cannot run", "tool", {"Tool|%D/tool/Tool.exe|", "Tool 2|relative/lensview|"}, "",
            Files::ExecutableFiles);
    }

    void findProgramExecutable()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, entries);
        QFETCH(QString, expected);
        QFETCH(Files, files);
        ScriptedDesktop desktop;
        desktop.files = files;
        for (const QString &entry : entries) {
            const QStringList values = QString(entry).replace("%D", root()).split('|');
            desktop.programs.push_back({values[0].toStdString(), values[1].toStdString(), values[2].toStdString()});
        }
        const Platform::ScopedOverride<DesktopServices> scripted(desktop);
        expected.replace("%D", root()).replace("%L", firstListedExe(root() + "/none"));
        QCOMPARE(Basics::findProgramExecutable(name), expected);
    }

    void requestsToTheDesktop_data()
    {
        QTest::addColumn<Request>("request");
        QTest::addColumn<QString>("expected"); // the call the desktop gets, empty: none
        const auto row = [](const char *tag, Request request, const QString &expected) {
            QTest::newRow(tag) << request << expected;
        };
        using B = Basics;
        row("association, extension trimmed", [] { B::createUserSpaceFileAssociation(" xyz ", "Optics.Lens", "Lens", "v %1"); },
            "associate|.xyz|Optics.Lens|Lens|v %1");
        row("association, dot kept", [] { B::createUserSpaceFileAssociation(".xyz", "P", "", "v"); }, "associate|.xyz|P||v");
        row("no extension", [] { B::createUserSpaceFileAssociation("   ", "P", "", "v"); }, "");
        row("no ProgID", [] { B::createUserSpaceFileAssociation("xyz", "", "", "v"); }, "");
        row("key separator in the ProgID", [] { B::createUserSpaceFileAssociation("xyz", "Optics/Lens", "", "v"); }, "");
        row("key separator in the extension", [] { B::createUserSpaceFileAssociation("x\\yz", "P", "", "v"); }, "");
        row("lookup without dot", [] { QCOMPARE(B::getFileAssoc("xyz"), "/bin/viewer"); }, "lookup|.xyz");
        row("lookup with dot and blanks", [] { B::getFileAssoc(" .xyz"); }, "lookup|.xyz");
        // Help: the owner (%W: the main window, if any), the path in
        // Latin-1, the command (0 for a page, 15 for a context) and its data.
        const auto help = [](const QString &source, const QVariant &topic) {
            return [source, topic] {
                Basics::setHtmlHelpSource(source);
                topic.type() == QVariant::Int ? Basics::showHtmlHelpTopic(topic.toInt())
                                              : Basics::showHtmlHelpTopic(topic.toString());
                Basics::setHtmlHelpSource(QString());
            };
        };
        row("no help source, topic", help("", "intro"), "");
        row("no help source, context", help("", 1001), "");
        row("help topic", help("C:/Help/tools.chm", "intro"), "%W|C:/Help/tools.chm::/intro.htm|0|0");
        row("empty help topic", help("C:/Help/tools.chm", ""), "%W|C:/Help/tools.chm|0|0");
        row("help context", help("C:/Help/tools.chm", 1001), "%W|C:/Help/tools.chm|15|1001");
        row("negative help context", help("C:/Help/tools.chm", -1), "%W|C:/Help/tools.chm|15|18446744073709551615");
        row("Latin-1 help path", help(QString::fromUtf8("C:/Hilfe/\u00dcbersicht.chm"), QString::fromUtf8("\u03a9")),
            QString::fromUtf8("%W|C:/Hilfe/\u00dcbersicht.chm::/?.htm|0|0"));
    }

    void requestsToTheDesktop()
    {
        QFETCH(Request, request);
        QFETCH(QString, expected);
        ScriptedDesktop desktop;
        const Platform::ScopedOverride<DesktopServices> scripted(desktop);
        for (const bool withMainWindow : {false, true}) {
            std::unique_ptr<QMainWindow> window(withMainWindow ? new QMainWindow : nullptr);
            desktop.calls.clear();
            request();
            const QString call = QString(expected).replace("%W", QString::number(window ? window->winId() : 0));
            QCOMPARE(desktop.calls, expected.isEmpty() ? QStringList() : QStringList(call));
        }
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
        request.type() == QVariant::Int ? Basics::showHtmlHelpTopic(request.toInt())
                                        : Basics::showHtmlHelpTopic(request.toString());
        QTextBrowser *window = helpWindow();
        QCOMPARE(window ? window->toPlainText().section('\n', 0, 0) : QString(), shown);
        if (!window)
            return;
        QCOMPARE(window->parentWidget(), &main);
        // Links inside the file are followed there, relative to the page.
        window->setSource(QUrl("/index.htm"));
        const std::pair<const char *, const char *> links[] = {
            {"sub/details.htm", "Details page"}, {"../index.htm", "Welcome page"}, {"intro.htm", "Introduction page"}};
        for (const auto &[link, heading] : links) {
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
    QApplication application(argc, argv);
    TestBasicsDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_basicsdesktop.moc"
