// Client of the installed package: colours, icons, auto-scaling and widget
// helpers, used as a tool would use them, with the edge cases the
// documentation promises.

#include "clientcheck.h"

#include <BasicsDLL.h>
#include <Basics/basics.h>
#include <ColorHelper/colorhelper.h>
#include <Output/mywarnings.h>

#include <QApplication>
#include <QDataStream>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplashScreen>
#include <QSplitter>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

void colors()
{
    CLIENT_CHECK(ColorHelper::incrementHue(Qt::red, -30).hsvHue() == 330);
    CLIENT_CHECK(!ColorHelper::incrementHue(QColor(), 0).isValid());
    CLIENT_CHECK(ColorHelper::setLightness(Qt::red, 300).lightness() == 255);
    CLIENT_CHECK(ColorHelper::colorFromWavelength(0.0007).rgb() == qRgb(255, 0, 0));
    CLIENT_CHECK(ColorHelper::colorFromWavelength(0.0009).rgb() == qRgb(0, 0, 0));
    CLIENT_CHECK(ColorHelper::createColorTable(3, {Qt::blue, Qt::red})
                 == (QVector<QRgb>{0xff0000ff, 0xffff00ff, 0xffff0000}));
    CLIENT_CHECK(ColorHelper::createColorTable(0, {Qt::blue, Qt::red}).isEmpty());
    ColorHelper color(Qt::red);
    color.setSaturation(0);
    CLIENT_CHECK(color.rgb() == qRgb(255, 255, 255));
}

void icons()
{
    QTemporaryDir dir;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    QIcon written(pixmap);
    const QString path = dir.filePath("red.icon");
    {
        QFile file(path);
        CLIENT_CHECK(file.open(QIODevice::WriteOnly));
        QDataStream stream(&file);
        stream << written;
    }
    MyWarnings::debugLevel = -100;
    QIcon icon = Basics::loadIcon(path);
    CLIENT_CHECK(!icon.isNull());
    CLIENT_CHECK(Basics::loadIcon(dir.filePath("missing.icon")).isNull());
    CLIENT_CHECK(Basics::addSizes(icon, {16, 32}));
    CLIENT_CHECK(icon.availableSizes().contains(QSize(32, 32)));

    QToolButton button;
    button.setIconSize(QSize(16, 16));
    button.setIcon(icon);
    Basics::applyGrayscaleIcons(&button);
    const QImage gray = button.icon().pixmap(16, QIcon::Normal, QIcon::Off).toImage();
    CLIENT_CHECK(gray.pixel(3, 3) == qRgb(87, 87, 87));
    Basics::applyColoredIcons(nullptr, Qt::red, Qt::blue);
}

void scaling()
{
    QString sheet = "margin: 4apx; // comment\nborder: 3apx;";
    CLIENT_CHECK(Basics::autoScaleStyleSheet(sheet, 1.5));
    CLIENT_CHECK(sheet == "margin: 6px; border: 5px;");
    CLIENT_CHECK(Basics::myLogicalDpiX(nullptr) == 96);

    QWidget window;
    auto *label = new QLabel(&window);
    label->setProperty("AutoScale", false);
    label->setMinimumSize(100, 20);
    Basics::autoScale2(&window, false, 2);
    CLIENT_CHECK(label->minimumSize() == QSize(200, 40));
    CLIENT_CHECK(label->maximumWidth() == QWIDGETSIZE_MAX);
}

void widgets()
{
    QWidget window;
    window.setObjectName("main");
    auto *edit = new QPlainTextEdit("l0\nl1\nline2\nl3\nline4", &window);
    edit->setObjectName("edit");
    CLIENT_CHECK(Basics::getFullObjectName(edit) == "main::edit");
    QTextCursor cursor(edit->document());
    cursor.setPosition(8);
    cursor.setPosition(17, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
    CLIENT_CHECK(Basics::selectedLines(edit).lower() == 2 && Basics::selectedLines(edit).upper() == 5);
    CLIENT_CHECK(Basics::getNormalGeometry(nullptr) == QRect());

    QSplitter splitter;
    splitter.addWidget(new QWidget);
    splitter.addWidget(new QWidget);
    Basics::decorateSplitterHandle(&splitter, 1, 2);
    CLIENT_CHECK(splitter.handleWidth() == 5);

    CLIENT_CHECK(Basics::splashScreen.isNull());
    Basics::setSplashMessage("no splash screen: nothing happens");
    {
        QSplashScreen splash;
        Basics::splashScreen = &splash;
        Basics::setSplashMessage("Loading");
        CLIENT_CHECK(splash.message() == "  >> Loading");
    }
    CLIENT_CHECK(Basics::splashScreen.isNull());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    colors();
    icons();
    scaling();
    widgets();
    return CLIENT_RESULT();
}
