// Dimmer on a real window under the window manager: every tick seen through
// windowOpacity(), the values that count also through the window's
// _NET_WM_WINDOW_OPACITY as a second X client reads it.

#include "x11peer.h"

#include <Widgets/dimmer.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>
#include <QWidget>

#include <cmath>
#include <limits>

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

// What the property holds for an opacity.
std::optional<quint32> propertyFor(double opacity)
{
    return quint32(qRound64(opacity * 0xffffffffu));
}

} // namespace

class tst_Dimmer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_x11.isConnected());
        m_window = new QWidget;
        m_window->resize(200, 120);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
    }

    void fade_data()
    {
        QTest::addColumn<double>("initial"); // opacity before startDimming
        QTest::addColumn<double>("target");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("start"); // startDimming's startOpacity
        QTest::addColumn<double>("firstValue"); // opacity the fade starts from
        QTest::addColumn<double>("finalValue");
        QTest::addColumn<double>("stepTaken"); // signed change per tick

        QTest::newRow("fade out from 1") << 0.7 << 0.0 << 0.05 << 1.0 << 1.0 << 0.0 << -0.05;
        QTest::newRow("wrong sign is corrected") << 0.5 << 1.0 << -0.1 << -1.0 << 0.5 << 1.0 << 0.1;
        QTest::newRow("target above 1 is 1") << 0.5 << 1.7 << 0.1 << -1.0 << 0.5 << 1.0 << 0.1;
        QTest::newRow("start 1.2 is ignored") << 0.6 << 0.2 << 0.1 << 1.2 << 0.6 << 0.2 << -0.1;
        QTest::newRow("start -0.1 is ignored") << 0.6 << 0.2 << 0.1 << -0.1 << 0.6 << 0.2 << -0.1;
        QTest::newRow("NaN target is 0, NaN start ignored") << 0.3 << notANumber << 0.1 << notANumber << 0.3 << 0.0 << -0.1;
        QTest::newRow("steps finer than the toolkit's 1/255 add up")
            << 1.0 << 0.02 << 0.002 << 0.0 << 0.0 << 0.02 << 0.002;
        QTest::newRow("infinite step: one tick") << 1.0 << 0.25 << infinity << 0.75 << 0.75 << 0.25 << -0.5;
        QTest::newRow("negative infinite target is 0") << 1.0 << -infinity << 0.5 << 1.0 << 1.0 << 0.0 << -0.5;
    }

    void fade()
    {
        QFETCH(double, initial);
        QFETCH(double, target);
        QFETCH(double, step);
        QFETCH(double, start);
        QFETCH(double, firstValue);
        QFETCH(double, finalValue);
        QFETCH(double, stepTaken);

        m_window->setWindowOpacity(initial);
        QPointer<Dimmer> dimmer = Dimmer::startDimming(m_window, target, step, start);
        QVERIFY(dimmer && dimmer->parent() == m_window);
        QVERIFY(dimmer->isActive());
        QCOMPARE(dimmer->objectName(), QStringLiteral("dimmer"));
        QCOMPARE(dimmer->interval(), 20);
        QCOMPARE(m_window->windowOpacity(), double(int(firstValue * 255)) / 255);

        QList<double> seen; // windowOpacity() after every tick
        QElapsedTimer clock;
        clock.start();
        connect(dimmer.data(), &QTimer::timeout, this, [&] { seen << m_window->windowOpacity(); });
        QTRY_VERIFY_WITH_TIMEOUT(dimmer.isNull(), 10000);
        QVERIFY(!seen.isEmpty());

        // Every tick moves by the step (opacities read back truncated to
        // 1/255: two 255ths of slack); the last lands exactly on the target.
        const int ticks = seen.size();
        for (int i = 0; i < ticks - 1; ++i)
            QVERIFY2(std::fabs(seen[i] - (firstValue + (i + 1) * stepTaken)) <= 2.0 / 255, qPrintable(QString::number(i)));
        QCOMPARE(windowProperty(), propertyFor(finalValue));
        QCOMPARE(m_window->windowOpacity(), double(int(finalValue * 255)) / 255);
        // As many ticks as whole steps fit, one more when rounding leaves a sliver.
        const double steps = std::fabs(finalValue - firstValue) / std::fabs(stepTaken);
        QVERIFY(ticks >= int(std::ceil(steps - 1e-9)) && ticks <= int(std::ceil(steps - 1e-9)) + 1);
        // Ticks 20 ms apart: the whole fade takes at least that long.
        QVERIFY(clock.elapsed() >= 20 * (ticks - 1));
    }

    void inert_data()
    {
        QTest::addColumn<bool>("withWidget");
        QTest::addColumn<double>("step");

        QTest::newRow("step 0") << true << 0.0;
        QTest::newRow("step NaN") << true << notANumber;
        QTest::newRow("no widget") << false << 0.1;
    }

    void inert()
    {
        QFETCH(bool, withWidget);
        QFETCH(double, step);

        m_window->setWindowOpacity(0.5);
        const auto propertyBefore = windowProperty();
        QCOMPARE(propertyBefore, propertyFor(0.5));
        Dimmer dimmer(withWidget ? m_window : nullptr, 1.0, step);
        QVERIFY(!dimmer.isActive());
        QTest::qWait(100);
        QCOMPARE(m_window->windowOpacity(), 127.0 / 255);
        QCOMPARE(windowProperty(), propertyBefore);

        // startDimming refuses a null widget and changes nothing.
        QCOMPARE(Dimmer::startDimming(nullptr, 1.0, 0.1, 0.0), static_cast<Dimmer *>(nullptr));
    }

    void newFadeReplacesRunningOne()
    {
        QPointer<Dimmer> first = Dimmer::startDimming(m_window, 0.0, 0.01, 1.0);
        QTest::qWait(60);
        QVERIFY(first);
        QPointer<Dimmer> second = Dimmer::startDimming(m_window, 1.0, 0.05, 0.5);
        QVERIFY(first.isNull());
        QVERIFY(second && second->isActive());
        QCOMPARE(m_window->findChildren<Dimmer *>().size(), 1);
        QTRY_VERIFY(second.isNull());
        QCOMPARE(windowProperty(), propertyFor(1.0));
    }

private:
    // As the X server holds it once the toolkit has sent what it queued.
    std::optional<quint32> windowProperty()
    {
        QGuiApplication::sync();
        return m_x11.cardinal(xcb_window_t(m_window->winId()), "_NET_WM_WINDOW_OPACITY");
    }

    X11Peer m_x11;
    QWidget *m_window = nullptr;
};

QTEST_MAIN(tst_Dimmer)
#include "tst_dimmer.moc"
