// Basics' DPI auto-scaling: "apx" style sheets (worked examples, and random
// sheets against the literal rescanning rule), marked widgets, and the DPI of
// child processes on a 120-DPI X server with "-highdpi" on their command line.

#include <Basics/basics.h>

#include "testsupport/privatexserver.h"

#include <QtTest>
#include <QtWidgets>

#include <climits>
#include <cmath>
#include <memory>

namespace {

// The "apx" rule done literally: one global replace of line comments, then,
// until no match is left, the first "\d{1,}apx" searched from the start of
// the sheet is replaced by its number times the factor (rounded half up,
// truncated) followed by "px". QRegExp's \d matches every script's decimal
// digits; the conversion reads ASCII digits only.
bool literalAutoScaleStyleSheet(QString &sheet, double factor)
{
    sheet.replace(QRegExp(QStringLiteral("//[^\n]*\n")), QString());
    QRegExp length(QStringLiteral("\\d{1,}apx"));
    bool replaced = false;
    for (int at = length.indexIn(sheet, 0); at >= 0; at = length.indexIn(sheet, 0), replaced = true) {
        const double scaled = length.cap(0).chopped(3).toInt() * factor + 0.5; // 0 when it does not fit
        const int result = std::isnan(scaled) ? 0 : scaled >= INT_MAX ? INT_MAX : scaled <= INT_MIN ? INT_MIN : int(scaled);
        sheet.replace(at, length.matchedLength(), QStringLiteral("%1px").arg(result));
    }
    return replaced;
}

// A widget that scales what the generic rules do not reach.
class SelfScaling : public QWidget
{
    Q_OBJECT
public:
    double factorSeen = 0;
    Q_INVOKABLE void autoScale(double factor) { factorSeen = factor; }
};

// Child mode, on the 120-DPI server: the DPI before and after a device, a
// later device of another resolution, and a dialog scaled by the screen.
int runDpiChild(int argc, char **argv)
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setMinimumSize(40, 40);
    dialog.setProperty("AutoScale", true);
    auto *child = new QLabel(&dialog);
    child->setMinimumSize(100, 20);
    child->setProperty("AutoScale", true);

    const int withoutDevice = Basics::myLogicalDpiX(nullptr);
    const int first = Basics::myLogicalDpiX(&dialog);
    QImage print(8, 8, QImage::Format_RGB32);
    print.setDotsPerMeterX(11811); // 300 DPI
    const int later = Basics::myLogicalDpiX(&print);
    Basics::autoScale2(&dialog, false, 0);
    std::printf("%d %d %d %dx%d %dx%d\n", withoutDevice, first, later, child->minimumWidth(),
                child->minimumHeight(), dialog.minimumWidth(), dialog.minimumHeight());
    return 0;
}

} // namespace

class TestAutoScale : public QObject
{
    Q_OBJECT

private slots:
    void styleSheet_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("replaced");

        const auto row = [](const char *tag, const QString &sheet, double factor,
                            const QString &expected, bool replaced) {
            QTest::newRow(tag) << sheet << factor << expected << replaced;
        };
        row("margin and border", "margin: 4apx; border: 10apx;", 1.5, "margin: 6px; border: 15px;", true);
        row("half rounds up", "3apx", 1.5, "5px", true);
        row("minus sign stays", "margin: -4apx", 2, "margin: -8px", true);
        row("decimal: digits after the point", "width: 1.5apx", 2, "width: 1.10px", true);
        row("int overflow reads 0", "a: 2147483648apx b: 3apx", 2, "a: 0px b: 6px", true);
        row("scaled beyond int", "2000000000apx", 4, "2147483647px", true);
        row("other scripts' digits read 0", QString::fromUtf8("١٢apx"), 2, "0px", true);
        row("comment only removed", "QLabel {} // 4apx\nQFrame {}", 2, "QLabel {} QFrame {}", false);
        row("comment in url", "image: url(http://host/a.png);\nb: 2apx", 2, "image: url(http:b: 4px", true);
        row("last line comment stays", "a: 2apx;\n// last", 2, "a: 4px;\n// last", true);
        row("comment joins a length", "12//x\napx", 2, "24px", true);
        row("comments only", "// one\n//two\n", 2, "", false);
        row("empty", "", 2, "", false);
    }

    void styleSheet()
    {
        QFETCH(QString, sheet);
        QFETCH(double, factor);
        QFETCH(QString, expected);
        QFETCH(bool, replaced);
        QCOMPARE(Basics::autoScaleStyleSheet(sheet, factor), replaced);
        QCOMPARE(sheet, expected);
    }

    void singlePassMatchesLiteralRule()
    {
        // Units and near-units, digit runs up to overflow, signs, comments,
        // line feeds and other scripts' digits, meeting in every order.
        const QStringList pieces = {
            "apx", "apx", "apx", "px", "ap", "a", "x", "p", "-", ".", "/", "//", "\n", " ", "{", "}", ";",
            "margin:", "url(http://h/i.png)", QString::fromUtf8("١٣"), QString::fromUtf8("５")};
        QRandomGenerator random(20240611);
        const QList<double> factors = {1.5, 2.0, 0.75, 1.0, -1.5, 1e12, 0.0};
        int replacements = 0;
        for (int round = 0; round < 600; ++round) {
            QString sheet;
            const int length = int(random.bounded(1, 120));
            for (int i = 0; i < length; ++i)
                sheet += random.bounded(3) == 0 ? QString::number(random.generate64() % 1000000000000ull).left(int(random.bounded(1, 14)))
                                                : pieces.at(int(random.bounded(pieces.size())));
            const double factor = factors.at(round % factors.size());
            QString fast = sheet, literal = sheet;
            const bool fastResult = Basics::autoScaleStyleSheet(fast, factor);
            QVERIFY2(fastResult == literalAutoScaleStyleSheet(literal, factor) && fast == literal,
                     qPrintable(QString("\"%1\" * %2: \"%3\", literally \"%4\"").arg(sheet).arg(factor).arg(fast, literal)));
            replacements += fastResult;
        }
        QVERIFY(replacements > 300); // the sheets did exercise the rule
    }

    // Factor 1.5 tells rounding from truncation: minimum sizes, the dialog's
    // own and icon sizes are rounded; maximum sizes, margins, spacings, header
    // sections and tab stops truncated.
    void markedWidgets()
    {
        const auto marked = [](QWidget *widget, const char *marker = "AutoScale") {
            widget->setProperty(marker, 1);
            return widget;
        };
        QDialog dialog;
        marked(&dialog)->setMinimumSize(11, 11);
        auto *box = new QHBoxLayout(&dialog);
        box->setContentsMargins(5, 5, 5, 5);
        box->setSpacing(0);
        auto *child = new QLabel(&dialog);
        child->setProperty("AutoScale", false); // any valid value marks
        child->setMinimumSize(101, 21);
        child->setMaximumHeight(51);
        child->setStyleSheet("QLabel { padding: 3apx; } // 4apx\n");
        auto *gridLayout = new QGridLayout(marked(new QWidget(&dialog)));
        gridLayout->setSpacing(3);
        auto *innerLayout = new QHBoxLayout(marked(new QWidget(&dialog)));
        innerLayout->setSpacing(3);
        innerLayout->setContentsMargins(5, 0, 0, 0);
        auto *table = static_cast<QTableView *>(marked(new QTableView(&dialog)));
        table->horizontalHeader()->setMinimumSectionSize(10);
        table->horizontalHeader()->setDefaultSectionSize(21);
        table->verticalHeader()->setMinimumSectionSize(21);
        auto *editor = static_cast<QPlainTextEdit *>(marked(new QPlainTextEdit(&dialog)));
        editor->setTabStopDistance(41);
        auto *selfScaling = new SelfScaling;
        marked(selfScaling)->setParent(&dialog);
        auto *toolBar = static_cast<QToolBar *>(marked(new QToolBar(&dialog), "AutoScaleIcons"));
        toolBar->setIconSize(QSize(25, 25));
        auto *unmarked = new QLabel(&dialog);
        unmarked->setMinimumSize(101, 21);

        Basics::autoScale2(&dialog, false, 1.5);
        QCOMPARE(child->minimumSize(), QSize(152, 32));
        QCOMPARE(child->maximumWidth(), QWIDGETSIZE_MAX); // unbounded stays so
        QCOMPARE(child->maximumHeight(), 76);
        QCOMPARE(child->styleSheet(), "QLabel { padding: 5px; } ");
        QCOMPARE(dialog.minimumSize(), QSize(11, 11)); // not included
        QCOMPARE(box->contentsMargins().left(), 5);
        QCOMPARE(gridLayout->horizontalSpacing(), 4);
        QCOMPARE(gridLayout->verticalSpacing(), 4);
        QCOMPARE(innerLayout->spacing(), 4);
        QCOMPARE(innerLayout->contentsMargins().left(), 7);
        QCOMPARE(table->horizontalHeader()->defaultSectionSize(), 31);
        QCOMPARE(table->verticalHeader()->minimumSectionSize(), 31);
        QCOMPARE(editor->tabStopDistance(), 61.0);
        QCOMPARE(selfScaling->factorSeen, 1.5);
        QCOMPARE(toolBar->iconSize(), QSize(38, 38));
        QCOMPARE(unmarked->minimumSize(), QSize(101, 21));

        // Now the dialog too: its box layout's spacing 0 stays 0. A second run
        // over the children changes nothing more (the markers are gone).
        Basics::autoScale2(&dialog, true, 1.5);
        QCOMPARE(dialog.minimumSize(), QSize(17, 17));
        QCOMPARE(box->contentsMargins().left(), 7);
        QCOMPARE(box->spacing(), 0);
        QCOMPARE(child->minimumSize(), QSize(152, 32));
        QCOMPARE(toolBar->iconSize(), QSize(38, 38));
        Basics::autoScale2(nullptr, true, 1.5); // nothing, no crash
    }

    void logicalDpi_data()
    {
        // The DPI of two devices, and the child's 100 x 20 scaled by DPI / 96.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("screen") << QStringList() << "120 120 125x25";
        QTest::newRow("-highdpi 1.5") << QStringList{"-highdpi", "1.5"} << "180 180 188x38";
        QTest::newRow("-HIGHDPI 2") << QStringList{"-HIGHDPI", "2"} << "240 240 250x50";
        QTest::newRow("first switch counts") << QStringList{"-highdpi", "1.5", "-highdpi", "3"} << "180 180 188x38";
        QTest::newRow("factor below 1") << QStringList{"-highdpi", "0.5"} << "120 120 125x25";
        QTest::newRow("no number") << QStringList{"-highdpi", "large"} << "120 120 125x25";
        QTest::newRow("last argument") << QStringList{"-highdpi"} << "120 120 125x25";
    }

    void logicalDpi()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        if (!m_server120) {
            m_server120 = std::make_unique<PrivateXServer>();
            if (!m_server120->start({"Xvfb", "-dpi", "120", "-screen", "0", "640x480x24"}, false))
                QFAIL(m_server120->error.c_str());
        }
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", QString::fromStdString(m_server120->display));
        environment.insert("QT_QPA_PLATFORM", "xcb");
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), QStringList{"--dpi-child"} + arguments);
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        // 96 without a device (nothing kept); the dialog itself left out.
        QCOMPARE(QString::fromLatin1(child.readAllStandardOutput()).trimmed(), "96 " + expected + " 40x40");
    }

private:
    std::unique_ptr<PrivateXServer> m_server120;
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--dpi-child") == 0)
        return runDpiChild(argc, argv);
    QApplication application(argc, argv);
    TestAutoScale test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_autoscale.moc"
