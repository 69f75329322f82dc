// Basics' widget helpers in a Xephyr of their own with openbox and two
// screens: 640 x 480 at 0,0 and 800 x 600 at 640,0.

#include <Basics/basics.h>

#include "testsupport/messagecapture.h"
#include "testsupport/privatexserver.h"

#include <QtWidgets>
#include <QtTest>

Q_DECLARE_METATYPE(IntRange)

namespace {

// A container that opens itself when asked to show a child.
class Expander : public QWidget
{
    Q_OBJECT
public:
    int expanded = 0;
public slots:
    void expand() { ++expanded; }
};

// Shows \a window with the client geometry \a client, asking again now and
// then until the window manager has framed and placed it there.
bool showAt(QWidget &window, const QRect &client)
{
    window.setGeometry(client);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; timer.elapsed() < 5000; ++round) {
        if (window.geometry() == client && window.frameGeometry().top() < client.top())
            return true;
        if (round % 20 == 0)
            window.setGeometry(client);
        QTest::qWait(10);
    }
    return false;
}

} // namespace

class TestBasicsWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        const QList<QScreen *> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens.at(1)->geometry(), QRect(640, 0, 800, 600));
    }

    void ensureVisible_data()
    {
        QTest::addColumn<QRect>("client");
        QTest::addColumn<int>("screen");
        QTest::addColumn<QPoint>("expected"); // top left; y -1: just below the title bar

        QTest::newRow("over the right edge") << QRect(1300, 100, 300, 200) << -2 << QPoint(1140, 100);
        QTest::newRow("title bar above the top") << QRect(700, 2, 300, 200) << -2 << QPoint(700, -1);
        QTest::newRow("straddling, own screen") << QRect(400, 100, 300, 200) << -2 << QPoint(340, 100);
        QTest::newRow("primary screen") << QRect(900, 100, 300, 200) << -1 << QPoint(340, 100);
        QTest::newRow("beyond the last screen") << QRect(100, 100, 300, 200) << 5 << QPoint(640, 100);
        QTest::newRow("larger than the area") << QRect(700, 300, 900, 700) << 1 << QPoint(640, -1);
    }

    void ensureVisible()
    {
        QFETCH(QRect, client);
        QFETCH(int, screen);
        QFETCH(QPoint, expected);

        QWidget window;
        QVERIFY(showAt(window, client));
        const int titleHeight = window.geometry().top() - window.frameGeometry().top();
        if (expected.y() < 0)
            expected.setY(titleHeight);
        Basics::ensureVisible(&window, screen);
        QTRY_COMPARE(window.geometry(), QRect(expected, client.size()));
    }

    void normalGeometryOfMaximizedWindow()
    {
        QWidget window;
        const QRect normal(100, 120, 300, 200);
        QVERIFY(showAt(window, normal));
        QCOMPARE(Basics::getNormalGeometry(&window), normal);

        window.showMaximized();
        QTRY_VERIFY(window.geometry().width() > 600);
        const QRect maximized = window.geometry();
        QCOMPARE(Basics::getNormalGeometry(&window), normal);
        QTRY_COMPARE(window.geometry(), maximized); // maximized again
        QVERIFY(window.isMaximized());
        QCOMPARE(Basics::getNormalGeometry(nullptr), QRect(QPoint(0, 0), QPoint(-1, -1)));
    }

    void makeVisible()
    {
        // main > tabs > page 2 > expander > stack > page 1 > group box > field
        QMainWindow window;
        auto *tabs = new QTabWidget;
        window.setCentralWidget(tabs);
        tabs->addTab(new QWidget, "first");
        auto *page = new QWidget;
        tabs->addTab(page, "second");
        auto *expander = new Expander;
        expander->setParent(page);
        auto *stack = new QStackedWidget(expander);
        stack->addWidget(new QWidget);
        auto *stackPage = new QWidget;
        stack->addWidget(stackPage);
        auto *group = new QGroupBox(stackPage);
        auto *field = new QLineEdit(group);
        QVERIFY(showAt(window, QRect(50, 60, 400, 300)));

        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        Basics::makeVisible(&window); // a top-level window: nothing
        QTest::qWait(200);
        QVERIFY(window.isMinimized());

        Basics::makeVisible(field);
        QCOMPARE(group->property("makeVisible"), QVariant(true));
        QCOMPARE(stack->currentWidget(), stackPage);
        QCOMPARE(expander->expanded, 1);
        QCOMPARE(tabs->currentWidget(), page);
        QTRY_VERIFY(!window.isMinimized() && field->isVisible());
        QTRY_VERIFY(QTest::qWaitForWindowExposed(&window));

        Basics::makeVisible(nullptr);
    }

    void objectNames()
    {
        QWidget window;
        window.setObjectName("main");
        auto *group = new QGroupBox(&window);
        auto *edit = new QLineEdit(group);
        edit->setObjectName("edit");
        QCOMPARE(Basics::getFullObjectName(edit), QStringLiteral("main::QGroupBox::edit"));
        QCOMPARE(Basics::getRelativeObjectName(edit, &window, true), QStringLiteral("edit"));
        QCOMPARE(Basics::getRelativeObjectName(edit, &window, false), QStringLiteral("QGroupBox::edit"));
        QCOMPARE(Basics::getRelativeObjectName(edit, edit, false), QString());
        QCOMPARE(Basics::getRelativeObjectName(edit, nullptr, true), QStringLiteral("main::edit"));
        group->setProperty("ignored", false);
        QCOMPARE(Basics::getFullObjectName(edit), QStringLiteral("main::edit"));
        QCOMPARE(Basics::getFullObjectName(nullptr), QString());

        QCOMPARE(Basics::getDescription(edit), QStringLiteral("edit"));
        edit->setProperty("description", "Focal length");
        QCOMPARE(Basics::getDescription(edit), QStringLiteral("Focal length"));
        QCOMPARE(Basics::getDescription(nullptr), QString());
    }

    void disableAndEnable()
    {
        QWidget form;
        auto *ok = new QPushButton(&form);
        auto *cancel = new QPushButton(&form);
        auto *off = new QPushButton(&form);
        off->setEnabled(false);
        auto *spin = new QDoubleSpinBox(&form);
        auto *fixed = new QDoubleSpinBox(&form);
        fixed->setReadOnly(true);
        auto *inner = new QWidget(&form);
        auto *deep = new QPushButton(inner);

        QCOMPARE(Basics::disable(&form, {cancel}, true), (QList<QWidget *>{ok, spin}));
        QVERIFY(deep->isEnabled() && cancel->isEnabled());
        const QList<QWidget *> changed = Basics::disable(&form, {}, false);
        QCOMPARE(changed, (QList<QWidget *>{cancel, deep}));
        QVERIFY(Basics::disable(&form, {}, false).isEmpty());
        Basics::enable(changed + QList<QWidget *>{nullptr});
        QVERIFY(cancel->isEnabled() && deep->isEnabled());
        QVERIFY(!ok->isEnabled() && spin->isReadOnly()); // from the first call
        Basics::enable({ok, spin});
        QVERIFY(ok->isEnabled() && !spin->isReadOnly());
        QVERIFY(!off->isEnabled() && fixed->isReadOnly()); // never touched
        QVERIFY(Basics::disable(nullptr).isEmpty());
    }

    void selectedLines_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<IntRange>("lines");

        // Lines "l0\n" "l1\n" "line2\n" "l3\n" "line4\n" start at 0, 3, 6, 12, 15.
        QTest::newRow("middle of 2 to middle of 4") << 8 << 17 << IntRange(2, 5);
        QTest::newRow("whole 2 and 3, up to the start of 4") << 6 << 15 << IntRange(2, 4);
        QTest::newRow("backwards") << 17 << 8 << IntRange(2, 5);
        QTest::newRow("inside one line") << 1 << 2 << IntRange(0, 1);
        QTest::newRow("line feed only") << 2 << 3 << IntRange(0, 1);
        QTest::newRow("no selection") << 7 << 7 << IntRange();
    }

    void selectedLines()
    {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(IntRange, lines);
        QPlainTextEdit edit("l0\nl1\nline2\nl3\nline4\nl5");
        QTextCursor cursor(edit.document());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
        const IntRange result = Basics::selectedLines(&edit);
        QCOMPARE(QPair(result.lower(), result.upper()), QPair(lines.lower(), lines.upper()));
        QVERIFY(Basics::selectedLines(nullptr).isEmpty());
    }

    void dialogsAndMessages()
    {
        // A message box without buttons gets Close and does not wait.
        QWidget parent;
        Basics::showMessage(&parent, QMessageBox::Warning, "Lens", "Radius too small", false, {});
        auto *box = parent.findChild<QMessageBox *>();
        QVERIFY(box && box->isVisible() && !box->isModal());
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Close));
        QPointer<QMessageBox> guard = box;
        box->close();
        QTRY_VERIFY(!guard); // deleted on close

        // Modality: a change hides and shows again in place; none changes nothing.
        QDialog dialog;
        QVERIFY(showAt(dialog, QRect(200, 150, 200, 100)));
        Basics::setModal(&dialog, false);
        QVERIFY(dialog.isVisible());
        Basics::setModal(&dialog, true);
        QVERIFY(dialog.isModal() && dialog.isVisible());
        QTRY_COMPARE(dialog.geometry().topLeft(), QPoint(200, 150));
        Basics::setModal(nullptr, true);

        // The splash screen, gone with its widget.
        Basics::setSplashMessage("nothing to show on");
        auto *splash = new QSplashScreen(QPixmap(100, 50));
        Basics::splashScreen = splash;
        Basics::setSplashMessage("Loading glasses");
        QCOMPARE(splash->message(), QStringLiteral("  >> Loading glasses"));
        delete splash;
        QVERIFY(Basics::splashScreen.isNull());
        Basics::setSplashMessage("after");
    }

    void smallHelpers()
    {
        QComboBox box;
        box.addItems({"a", "b", "c"});
        QSignalSpy changed(&box, qOverload<int>(&QComboBox::currentIndexChanged));
        Basics::setCurrentIndexSilently(&box, 2);
        box.blockSignals(true);
        Basics::setCurrentIndexSilently(&box, 1);
        QVERIFY(box.signalsBlocked());
        QCOMPARE(box.currentIndex(), 1);
        QCOMPARE(changed.count(), 0);
        Basics::setCurrentIndexSilently(nullptr, 1);

        // Two open menus, the inner one on top: both go.
        QMenu outer, inner;
        outer.addAction("x");
        inner.addAction("y");
        outer.popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(&outer));
        inner.popup(QPoint(150, 120));
        QVERIFY(QTest::qWaitForWindowExposed(&inner));
        QCOMPARE(QApplication::activePopupWidget(), &inner);
        Basics::hideAllMenus();
        QVERIFY(!outer.isVisible() && !inner.isVisible());

        QMimeData source;
        source.setText("lens");
        source.setData("application/x-lens", QByteArray("\0\1\2", 3));
        std::unique_ptr<QMimeData> copy(Basics::cloneMimeData(&source));
        QCOMPARE(copy->formats(), source.formats());
        QCOMPARE(copy->data("application/x-lens"), QByteArray("\0\1\2", 3));
        QVERIFY(!Basics::cloneMimeData(nullptr));

        QElapsedTimer timer;
        timer.start();
        Basics::qSleep(30);
        Basics::qSleep(-1); // returns at once
        QVERIFY(timer.elapsed() >= 30 && timer.elapsed() < 5000);
    }

    void decorateSplitterHandle()
    {
        for (Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
            QSplitter splitter(orientation);
            splitter.addWidget(new QWidget);
            splitter.addWidget(new QWidget);
            Basics::decorateSplitterHandle(&splitter, 1, 2);
            QCOMPARE(splitter.handleWidth(), 5);
            const QList<QFrame *> lines = splitter.handle(1)->findChildren<QFrame *>();
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines.first()->maximumSize(), orientation == Qt::Horizontal ? QSize(1, 1000000) : QSize(1000000, 1));
            Basics::decorateSplitterHandle(&splitter, 1, 3); // replaces
            QTRY_COMPARE(splitter.handle(1)->findChildren<QFrame *>().size(), 3);
            Basics::decorateSplitterHandle(&splitter, 7, 1); // no such handle: nothing
            QCOMPARE(splitter.handleWidth(), 7);
        }
        MessageCapture capture;
        Basics::decorateSplitterHandle(nullptr, 1, 2);
        QCOMPARE(capture.texts().size(), 1);
        QVERIFY2(capture.texts().first().endsWith(") static void Basics::decorateSplitterHandle(QSplitter*, int, int) "
                                                  "Basics\\basics.cpp 909 -> splitter = NULL "),
                 qPrintable(capture.texts().first()));
    }
};

int main(int argc, char **argv)
{
    PrivateXServer server;
    if (!server.start({"Xephyr", "-screen", "640x480", "-origin", "640,0", "-screen", "800x600",
                       "+xinerama", "-extension", "RANDR"},
                      true)) {
        std::fprintf(stderr, "%s\n", server.error.c_str());
        return 1;
    }
    qputenv("DISPLAY", server.display.c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    TestBasicsWidgets test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_basicswidgets.moc"
