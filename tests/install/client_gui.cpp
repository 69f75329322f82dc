// Client of the installed package: colours, icons, auto-scaling and widget
// helpers, one call each.

#include "clientcheck.h"

#include <Basics/basics.h>
#include <ColorHelper/colorhelper.h>

#include <QApplication>
#include <QSplitter>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    CLIENT_CHECK(ColorHelper::createColorTable(3, {Qt::blue, Qt::red})
                 == (QVector<QRgb>{0xff0000ff, 0xffff00ff, 0xffff0000}));
    QIcon icon(QPixmap(16, 16));
    CLIENT_CHECK(Basics::addSizes(icon, {16, 32}) && icon.availableSizes().size() == 2);
    QString sheet = "margin: 4apx; // comment\nborder: 3apx;";
    CLIENT_CHECK(Basics::autoScaleStyleSheet(sheet, 1.5) && sheet == "margin: 6px; border: 5px;");
    QSplitter splitter;
    splitter.addWidget(new QWidget);
    splitter.addWidget(new QWidget);
    Basics::decorateSplitterHandle(&splitter, 1, 2);
    CLIENT_CHECK(splitter.handleWidth() == 5);
    return CLIENT_RESULT();
}
