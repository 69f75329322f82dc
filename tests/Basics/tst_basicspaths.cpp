// Basics' path helpers: compacting paths for display (against a literal
// one-character-at-a-time reference), relating and descending paths,
// removing trees (links never followed) and the application folder.

#include <Basics/basics.h>

#include "testsupport/compactpathreference.h"
#include <Output/mywarnings.h>

#include "testsupport/messagecapture.h"

#include <Platform/serviceoverride.h>
#include <Platform/treeremover.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

void writeFile(const QString &path, const QByteArray &content = "x")
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

QStringList debugLines(const MessageCapture &capture)
{
    QStringList lines;
    for (const MessageCapture::Message &message : capture.messages()) {
        if (message.type == QtDebugMsg)
            lines << message.text;
    }
    return lines;
}

// Fonts whose whole-text widths differ from the sum of single-character
// advances: narrower or wider by spacing, or by a change of case. Strongly
// negative spacing gives narrow characters negative advances, so that a
// longer candidate can be narrower than a shorter one.
QList<QFont> spacedFonts()
{
    QList<QFont> fonts;
    QFont font;
    font.setLetterSpacing(QFont::PercentageSpacing, 50);
    fonts << font;
    font = QFont();
    font.setLetterSpacing(QFont::AbsoluteSpacing, -1.5);
    fonts << font;
    font = QFont();
    font.setLetterSpacing(QFont::AbsoluteSpacing, -6);
    fonts << font;
    font = QFont();
    font.setWordSpacing(-3);
    fonts << font;
    font = QFont();
    font.setWordSpacing(-12);
    fonts << font;
    font = QFont();
    font.setWordSpacing(6);
    fonts << font;
    font = QFont();
    font.setCapitalization(QFont::AllLowercase);
    fonts << font;
    font = QFont();
    font.setCapitalization(QFont::SmallCaps);
    fonts << font;
    return fonts;
}

} // namespace

class TestBasicsPaths : public QObject
{
    Q_OBJECT

private slots:
    void compactPathShortensDirectoryThenName()
    {
        const QFont font;
        const QFontMetrics metrics(font);
        const QString path = QStringLiteral("/Projects/Optics/lens.dat");
        QCOMPARE(Basics::compactPath(path, metrics.horizontalAdvance(path), font), path);
        QCOMPARE(Basics::compactPath(path, 100000, font), path);

        // A width that holds exactly "/Pro.../lens.dat" gives that text.
        const QString three = QStringLiteral("/Pro.../lens.dat");
        QCOMPARE(Basics::compactPath(path, metrics.horizontalAdvance(three), font), three);
        const QString none = QStringLiteral(".../lens.dat");
        QCOMPARE(Basics::compactPath(path, metrics.horizontalAdvance(none), font), none);
        const QString cutName = QStringLiteral(".../lens.d...");
        QCOMPARE(Basics::compactPath(path, metrics.horizontalAdvance(cutName), font), cutName);
        // Too narrow for anything: one character of the name stays.
        QCOMPARE(Basics::compactPath(path, 0, font), QStringLiteral(".../l..."));
        QCOMPARE(Basics::compactPath(path, -5, font), QStringLiteral(".../l..."));
    }

    void compactPathKeepsPathsThatFitInAnySpacing()
    {
        // Narrowed by letter or word spacing or by capitalization, a path
        // fits into less than the sum of its characters' advances.
        QString path = QStringLiteral("/home/optics/Lens Designs/Triplet WIDE ANGLE");
        while (path.size() < 150)
            path += QStringLiteral("/Sub Folder %1").arg(path.size());
        for (const QFont &font : spacedFonts()) {
            const int width = QFontMetrics(font).horizontalAdvance(path);
            QCOMPARE(Basics::compactPath(path, width, font), path);
            QVERIFY(Basics::compactPath(path, width - 1, font) != path);
        }
    }

    void compactPathMatchesTheOneCharacterRule()
    {
        // Every width from the full one down to zero, with several fonts and
        // paths (a 200-character one, relative ones, names beyond ASCII).
        QStringList paths = {
            QStringLiteral("/Projects/Optics/lens.dat"),
            QStringLiteral("relative/folder/with a blank/file name.txt"),
            QStringLiteral("/"),
            QStringLiteral("/folder/"),
            QStringLiteral("x"),
            QString::fromUtf8("/Messungen/Gr\xc3\xb6\xc3\x9f" "e/\xe4\xb8\xad\xe6\x96\x87/Linse.zmx"),
            // Kerning pairs, ligatures and control characters.
            QStringLiteral("/AVAWAY/To.Ta/WAVE LTA/fiflffi Yo.txt"),
            QStringLiteral("/tab\there/new\nline/x.txt"),
        };
        QString deep = QStringLiteral("/home/optics");
        while (deep.size() < 180)
            deep += QStringLiteral("/Subfolder") + QString::number(deep.size());
        paths << deep + QStringLiteral("/spectrum.csv");
        QCOMPARE(paths.last().size() >= 190, true);

        QList<QFont> fonts = {QFont()};
        QFont bold;
        bold.setBold(true);
        bold.setPointSize(17);
        fonts << bold << QFontDatabase::systemFont(QFontDatabase::FixedFont);
        // Spacing and capitalization change whole-text widths but not the
        // advances of single characters.
        fonts << spacedFonts();

        int compared = 0;
        for (const QFont &font : fonts) {
            const QFontMetrics metrics(font);
            for (const QString &path : paths) {
                // Every width for the short paths; for the long one every
                // fifth (the reference is quadratic).
                const int full = metrics.horizontalAdvance(path) + 2;
                const int step = path.size() > 100 ? 5 : 1;
                for (int width = full; width >= -1; width -= step) {
                    QCOMPARE(Basics::compactPath(path, width, font),
                             compactPathReference(path, width, font));
                    ++compared;
                }
            }
        }
        QVERIFY(compared > 1000);
    }

    void compactPathOfWidgets()
    {
        const QString path = QStringLiteral("/Projects/Optics/lens.dat");
        QCOMPARE(Basics::compactPath(path, nullptr), path);
        QLabel label;
        label.resize(60, 20);
        QFont font = label.font();
        font.setPointSize(15);
        label.setFont(font);
        QCOMPARE(Basics::compactPath(path, &label), Basics::compactPath(path, 60, font));
        QVERIFY(Basics::compactPath(path, &label) != path);
    }

    void relativePaths()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QDir root(temp.path());
        QVERIFY(root.mkpath("Data/sub") && root.mkpath("Database") && root.mkpath("Other"));
        writeFile(root.filePath("Data/sub/a.txt"));
        writeFile(root.filePath("Database/a.txt"));
        writeFile(root.filePath("Other/b.txt"));
        const QString data = root.filePath("Data");

        QCOMPARE(Basics::relativeFilePath(data, root.filePath("Data/sub/a.txt")),
                 QStringLiteral("sub/a.txt"));
        QCOMPARE(Basics::relativeFilePath(data + "/", root.filePath("Data/sub/../sub/a.txt")),
                 QStringLiteral("sub/a.txt"));
        const QString other = QFileInfo(root.filePath("Other/b.txt")).canonicalFilePath();
        QCOMPARE(Basics::relativeFilePath(data, root.filePath("Other/b.txt")), other);
        QCOMPARE(Basics::relativeFilePath(data, root.filePath("Data/missing.txt")), QString());
        // The prefix is matched character by character, not by components.
        QCOMPARE(Basics::relativeFilePath(data, root.filePath("Database/a.txt")),
                 QStringLiteral("base/a.txt"));
        QCOMPARE(Basics::relativeFilePath(data, data), QString());
        // A missing folder relates nothing: the path stays absolute.
        QCOMPARE(Basics::relativeFilePath(root.filePath("Missing"), root.filePath("Other/b.txt")),
                 other);
        QCOMPARE(Basics::relativeFilePath(QString(), root.filePath("Other/b.txt")), other);

        // Links are resolved on both sides.
        QVERIFY(QFile::link(root.filePath("Data"), root.filePath("DataLink")));
        QCOMPARE(Basics::relativeFilePath(root.filePath("DataLink"),
                                          root.filePath("Data/sub/a.txt")),
                 QStringLiteral("sub/a.txt"));
    }

    void directoriesAndDescendants()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QDir root(temp.path());
        QVERIFY(root.mkpath("Data/sub/deeper"));
        writeFile(root.filePath("Data/sub/a.txt"));
        writeFile(root.filePath("Data/a.txt"));
        const QDir data(root.filePath("Data"));

        QCOMPARE(Basics::toDir(QFileInfo(root.filePath("Data/sub"))).path(),
                 QFileInfo(root.filePath("Data/sub")).canonicalFilePath());
        QCOMPARE(Basics::toDir(QFileInfo(root.filePath("Data/a.txt"))).absolutePath(),
                 QDir::currentPath());
        QCOMPARE(Basics::toDir(QFileInfo(root.filePath("nothing"))).absolutePath(),
                 QDir::currentPath());

        QVERIFY(Basics::isDescendant(data, QFileInfo(root.filePath("Data/sub/a.txt"))));
        QVERIFY(Basics::isDescendant(data, QFileInfo(root.filePath("Data/a.txt"))));
        QVERIFY(Basics::isDescendant(data, QFileInfo(root.filePath("Data/sub/deeper"))));
        QVERIFY(!Basics::isDescendant(data, QFileInfo(data.path())));
        QVERIFY(!Basics::isDescendant(QDir(root.filePath("Data/sub")),
                                      QFileInfo(root.filePath("Data/a.txt"))));
        QVERIFY(!Basics::isDescendant(data, QFileInfo(root.filePath("Data/missing.txt"))));
        QVERIFY(!Basics::isDescendant(QDir(root.filePath("Missing")),
                                      QFileInfo(root.filePath("Data/a.txt"))));
        QVERIFY(Basics::isDescendant(QDir(QStringLiteral("/")),
                                     QFileInfo(root.filePath("Data/a.txt"))));

        // Relative items: the walk up still ends at the root.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.filePath("Data/sub")));
        QVERIFY(Basics::isDescendant(data, QFileInfo(QStringLiteral("a.txt"))));
        QVERIFY(!Basics::isDescendant(QDir(root.filePath("Other")), QFileInfo(QStringLiteral("a.txt"))));
        QVERIFY(QDir::setCurrent(previous));
    }

    void removingTrees()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QDir root(temp.path());
        MessageCapture capture;

        QCOMPARE(Basics::removeRecursively(QFileInfo(root.filePath("missing"))), 0);
        QVERIFY(debugLines(capture).isEmpty());

        QVERIFY(root.mkpath("tree/a/b") && root.mkpath("tree/c"));
        writeFile(root.filePath("tree/a/b/file.txt"));
        writeFile(root.filePath("tree/top.txt"));
        QCOMPARE(Basics::removeRecursively(QFileInfo(root.filePath("tree"))), 0);
        QVERIFY(!root.exists("tree"));

        writeFile(root.filePath("single.txt"));
        QCOMPARE(Basics::removeRecursively(QFileInfo(root.filePath("single.txt"))), 0);
        QVERIFY(!root.exists("single.txt"));
        QVERIFY(debugLines(capture).isEmpty());
    }

    void hiddenEntriesStayAndAreCounted()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QDir root(temp.path());
        MessageCapture capture;

        QVERIFY(root.mkpath("only"));
        writeFile(root.filePath("only/.hidden"));
        const QString only = QFileInfo(root.filePath("only")).canonicalFilePath();
        QCOMPARE(Basics::removeRecursively(QFileInfo(only)), 1);
        QStringList lines = debugLines(capture);
        QCOMPARE(lines.size(), 1);
        QVERIFY(QRegularExpression("^\"\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\" FAILED RMDIR: \""
                                   + QRegularExpression::escape(only) + "\" $")
                    .match(lines.first())
                    .hasMatch());

        // Inside another folder: two failures, the inner folder first, and
        // everything else of the tree gone.
        capture.clear();
        QVERIFY(root.mkpath("outer/inner") && root.mkpath("outer/empty"));
        writeFile(root.filePath("outer/inner/.hidden"));
        writeFile(root.filePath("outer/inner/visible.txt"));
        writeFile(root.filePath("outer/file.txt"));
        const QString outer = QFileInfo(root.filePath("outer")).canonicalFilePath();
        QCOMPARE(Basics::removeRecursively(QFileInfo(outer)), 2);
        lines = debugLines(capture);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).endsWith("FAILED RMDIR: \"" + outer + "/inner\" "));
        QVERIFY(lines.at(1).endsWith("FAILED RMDIR: \"" + outer + "\" "));
        QVERIFY(QFileInfo::exists(outer + "/inner/.hidden"));
        QVERIFY(!QFileInfo::exists(outer + "/inner/visible.txt"));
        QVERIFY(!QFileInfo::exists(outer + "/file.txt"));
        QVERIFY(!QFileInfo::exists(outer + "/empty"));

        // The lines follow the level gate.
        capture.clear();
        const int level = MyWarnings::debugLevel;
        MyWarnings::debugLevel = -100;
        QCOMPARE(Basics::removeRecursively(QFileInfo(only)), 1);
        MyWarnings::debugLevel = level;
        QVERIFY(debugLines(capture).isEmpty());
    }

    void linksAreRemovedNotFollowed()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QDir root(temp.path());
        QVERIFY(root.mkpath("outside/keep") && root.mkpath("tree/sub"));
        writeFile(root.filePath("outside/keep/precious.txt"));
        writeFile(root.filePath("outside/file.txt"));
        writeFile(root.filePath("tree/sub/a.txt"));
        QVERIFY(QFile::link(root.filePath("outside"), root.filePath("tree/dirlink")));
        QVERIFY(QFile::link(root.filePath("outside/file.txt"), root.filePath("tree/sub/filelink")));

        MessageCapture capture;
        QCOMPARE(Basics::removeRecursively(QFileInfo(root.filePath("tree"))), 0);
        QVERIFY(debugLines(capture).isEmpty());
        QVERIFY(!root.exists("tree"));
        QVERIFY(QFileInfo::exists(root.filePath("outside/keep/precious.txt")));
        QVERIFY(QFileInfo::exists(root.filePath("outside/file.txt")));

        // A link given directly: the link goes, its target stays.
        QVERIFY(QFile::link(root.filePath("outside"), root.filePath("toplink")));
        QCOMPARE(Basics::removeRecursively(QFileInfo(root.filePath("toplink"))), 0);
        QVERIFY(!QFileInfo(root.filePath("toplink")).isSymLink());
        QVERIFY(QFileInfo::exists(root.filePath("outside/keep/precious.txt")));
    }

    void vanishedEntriesAreNeverTheCurrentDirectory()
    {
        // Whatever vanishes between a look and the removal is simply gone:
        // the current directory, outside the tree, must never stand in for it.
        QTemporaryDir temp;
        const QDir root(temp.path());
        QVERIFY(root.mkpath("cwd/keepdir") && root.mkpath("cwd2") && root.mkpath("stale"));
        const QStringList sentinel{"cwd/a.txt", "cwd/keepdir/c.txt", "cwd2/d.txt"};
        for (const QString &name : sentinel)
            writeFile(root.filePath(name));
        const auto sentinelIntact = [&] {
            return std::all_of(sentinel.begin(), sentinel.end(), [&](const QString &name) { return root.exists(name); });
        };

        // A QFileInfo that still remembers a folder removed meanwhile.
        const QFileInfo stale(root.filePath("stale"));
        QVERIFY(stale.isDir() && root.rmdir("stale"));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root.filePath("cwd")));
        QCOMPARE(Basics::removeRecursively(stale), 0);
        QVERIFY(QDir::setCurrent(previous));
        QVERIFY(sentinelIntact());

        // Two processes removing the same tree at once, each in its own
        // current directory outside the tree.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("BASICS_REMOVE_TREE", root.filePath("tree"));
        for (int round = 0; round < 3; ++round) {
            for (int d = 0; d < 100; ++d) {
                const QString folder = QStringLiteral("tree/d%1/e%2").arg(d / 5).arg(d % 5);
                QVERIFY(root.mkpath(folder));
                for (int f = 0; f < 4; ++f)
                    writeFile(root.filePath(folder + QStringLiteral("/f%1").arg(f)));
            }
            QProcess processes[2];
            for (int i = 0; i < 2; ++i) {
                processes[i].setProcessEnvironment(environment);
                processes[i].setWorkingDirectory(root.filePath(i == 0 ? "cwd" : "cwd2"));
                processes[i].start(QCoreApplication::applicationFilePath(), QStringList());
            }
            for (QProcess &process : processes)
                QVERIFY(process.waitForFinished(60000) && process.exitCode() == 0);
            QVERIFY(!root.exists("tree"));
            QVERIFY2(sentinelIntact(), qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

#ifdef Q_OS_LINUX
    void foldersSwappedForLinksAreNotFollowed()
    {
        // While the removal runs, another thread moves folders of the tree
        // away and puts links to folders outside in their place. Whatever
        // the timing, nothing outside may be touched.
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < 20 && clock.elapsed() < 2000; ++round) {
            QTemporaryDir temp;
            const QDir root(temp.path());
            const auto name = [&](const char *prefix, int i) { return root.filePath(prefix + QString::number(i)); };
            const int folders = 16;
            for (int i = 0; i < folders; ++i) {
                QVERIFY(root.mkpath(name("outside/o", i)) && root.mkpath(name("tree/d", i)));
                writeFile(name("outside/o", i) + "/precious");
                for (int f = 0; f < 30; ++f)
                    writeFile(name("tree/d", i) + "/f" + QString::number(f));
            }
            QVERIFY(root.mkpath("stash"));
            std::atomic<bool> done{false};
            std::thread swapper([&] {
                for (int i = 0; !done.load(); i = (i + 1) % folders) {
                    const QByteArray folder = QFile::encodeName(name("tree/d", i));
                    if (::rename(folder.constData(), QFile::encodeName(name("stash/d", i)).constData()) == 0)
                        ::symlink(QFile::encodeName(name("outside/o", i)).constData(), folder.constData());
                }
            });
            Basics::removeRecursively(QFileInfo(root.filePath("tree")));
            done = true;
            swapper.join();
            for (int i = 0; i < folders; ++i)
                QVERIFY2(QFileInfo::exists(name("outside/o", i) + "/precious"),
                         qPrintable(QStringLiteral("round %1, folder %2").arg(round).arg(i)));
        }
    }
#endif

    void fileSystemRootsAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("root") << QDir::rootPath();
        // Up from the temporary folder, one ".." per component and one more.
        QString up = QDir::tempPath();
        const int components = QDir::cleanPath(QDir::tempPath()).count(QLatin1Char('/'));
        for (int i = 0; i <= components; ++i)
            up += QStringLiteral("/..");
        QTest::newRow("up to the root") << up;
    }
    void fileSystemRootsAreRefused()
    {
        // The removal itself is scripted: should the rule ever fail, the
        // script records the request instead of acting on it.
        struct Recorder : Platform::TreeRemover
        {
            QStringList requests;
            int removeTree(const std::string &path, const FailureReport &) override
            {
                requests << QString::fromStdString(path);
                return 0;
            }
        } recorder;
        Platform::ScopedOverride<Platform::TreeRemover> scripted(recorder);
        QFETCH(QString, path);
        MessageCapture capture;
        QCOMPARE(Basics::removeRecursively(QFileInfo(path)), 1);
        QCOMPARE(recorder.requests, QStringList());
        const QStringList lines = debugLines(capture);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().endsWith("FAILED RMDIR: \"" + QDir::rootPath() + "\" "), qPrintable(lines.first()));

        // Anything below the root goes to the removal.
        QTemporaryDir temp;
        QCOMPARE(Basics::removeRecursively(QFileInfo(temp.path())), 0);
        QCOMPARE(recorder.requests.size(), 1);
    }

    void applicationFolderFromTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("folder");

        const QString own = QCoreApplication::applicationDirPath();
        QTest::newRow("no switch") << QStringList() << own;
        QTest::newRow("quoted, blanks and backslash")
            << QStringList{"-applicationFolder", "  \"D:\\Tools\\\"  "} << "D:\\Tools";
        QTest::newRow("trailing slash") << QStringList{"-applicationFolder", "/opt/tool/"}
                                        << "/opt/tool";
        QTest::newRow("only one separator dropped")
            << QStringList{"-applicationFolder", "/opt/tool//"} << "/opt/tool/";
        QTest::newRow("switch last") << QStringList{"-applicationFolder"} << own;
        QTest::newRow("blank argument") << QStringList{"-applicationFolder", "   "} << own;
        QTest::newRow("other case ignored") << QStringList{"-applicationfolder", "/x"} << own;
        QTest::newRow("first switch wins")
            << QStringList{"-applicationFolder", "/a", "-applicationFolder", "/b"} << "/a";
        QTest::newRow("quotes inside") << QStringList{"-applicationFolder", "/my \"tools\""}
                                       << "/my tools";
        QTest::newRow("relative kept") << QStringList{"-applicationFolder", "data"} << "data";
    }
    void applicationFolderFromTheCommandLine()
    {
        // The arguments belong to the application object: ask a fresh
        // process of this program (see main()).
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("BASICS_PRINT_APPLICATION_FOLDER", "1");
        process.setProcessEnvironment(environment);
        process.start(QCoreApplication::applicationFilePath(), arguments);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), folder + "\n");
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("BASICS_REMOVE_TREE")) {
        QCoreApplication application(argc, argv);
        const int failures = Basics::removeRecursively(QFileInfo(qEnvironmentVariable("BASICS_REMOVE_TREE")));
        std::printf("%d\n", failures);
        return 0;
    }
    if (qEnvironmentVariableIsSet("BASICS_PRINT_APPLICATION_FOLDER")) {
        QCoreApplication application(argc, argv);
        std::printf("%s\n", Basics::getApplicationFolder().toUtf8().constData());
        return 0;
    }
    QApplication application(argc, argv);
    TestBasicsPaths test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_basicspaths.moc"
