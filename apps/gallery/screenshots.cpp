#include "screenshots.h"

#include "gallerypage.h"
#include "gallerywindow.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdio>

namespace {

// A picture of one colour only means the window showed nothing.
bool showsSomething(const QImage &image)
{
    if (image.isNull())
        return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

} // namespace

int takeScreenshots(GalleryWindow &window, const QString &directory)
{
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "gallery: cannot create %s\n", qPrintable(directory));
        return 1;
    }
    if (!QTest::qWaitForWindowExposed(&window, 10000)) {
        std::fprintf(stderr, "gallery: the window was never shown\n");
        return 1;
    }
    int failures = 0;
    const QList<GalleryPage *> pages = window.pages();
    for (int i = 0; i < pages.size(); ++i) {
        GalleryPage *page = pages[i];
        window.showPage(i);
        page->prepareScreenshot();
        QDeadlineTimer deadline(20000);
        while (!page->readyForScreenshot() && !deadline.hasExpired())
            QTest::qWait(100);
        if (!page->readyForScreenshot()) {
            std::fprintf(stderr, "gallery: page '%s' did not get ready\n", qPrintable(page->title()));
            ++failures;
        }
        QTest::qWait(300); // let the last frame and repaints reach the screen
        // The screen's picture of the window, not a rendering of the widget
        // tree: video drawn by the media back end shows up too.
        const QRect area = window.geometry();
        const QImage image = window.screen()
                                 ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                                 .toImage();
        const QString file = QDir(directory).filePath(
            QStringLiteral("%1-%2.png").arg(i + 1, 2, 10, QLatin1Char('0')).arg(page->fileName()));
        if (!showsSomething(image) || !image.save(file)) {
            std::fprintf(stderr, "gallery: no picture of page '%s'\n", qPrintable(page->title()));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(file));
    }
    return failures == 0 ? 0 : 1;
}
