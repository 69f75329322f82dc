// gallery: one page per GUI piece of BasicsDLL.
//
//   gallery                      shows the window
//   gallery --screenshots DIR    saves one PNG per page into DIR and exits:
//                                0 when every page rendered and the toolkit
//                                reported no missing plugin, 1 otherwise
//   gallery --clip FILE          plays FILE on the video page instead of the
//                                clip that comes with the gallery
//   gallery -highdpi 1.5         the library's own switch: auto-scaling (DPI
//                                page) enlarged by the factor

#include "gallerywindow.h"
#include "pages/pages.h"
#include "screenshots.h"

#include <Widgets/phononvideowidget.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

namespace {

// Warnings of the toolkit (and of the media framework) about plugins it
// could not find or load, and media errors of the video page: a gallery
// that renders without them hides a broken installation.
QStringList pluginWarnings;
QtMessageHandler previousHandler = nullptr;

void watchForPluginWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static const QRegularExpression plugin(QStringLiteral("plugin|backend|back end"),
                                           QRegularExpression::CaseInsensitiveOption);
    if ((type != QtDebugMsg && type != QtInfoMsg && text.contains(plugin))
        || text.startsWith(QLatin1String("Phonon-Fehler:")))
        pluginWarnings << text;
    previousHandler(type, context, text);
}

// The clip next to the program (build tree), or where the install put it.
QString defaultClip()
{
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString &candidate : {here.filePath(QStringLiteral("gallery-clip.mp4")),
                                     here.filePath(QStringLiteral(GALLERY_INSTALLED_CLIP))}) {
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).absoluteFilePath();
    }
    return QString();
}

} // namespace

int main(int argc, char *argv[])
{
    previousHandler = qInstallMessageHandler(watchForPluginWarnings);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("gallery"));
    // Before any Phonon object: the status page's sounds come first.
    PhononVideoWidget::prepareVideoOutput();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("One page per GUI piece of BasicsDLL."));
    parser.addHelpOption();
    const QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                         QStringLiteral("Save one PNG per page into <dir> and exit."),
                                         QStringLiteral("dir"));
    const QCommandLineOption clip(QStringLiteral("clip"),
                                  QStringLiteral("Play <file> on the video page."),
                                  QStringLiteral("file"));
    // The library reads "-highdpi <factor>" from the command line itself;
    // the parser only has to let it through.
    const QCommandLineOption highDpi(QStringLiteral("highdpi"),
                                     QStringLiteral("Enlarge auto-scaling by <factor> (read by the library)."),
                                     QStringLiteral("factor"));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(screenshots);
    parser.addOption(clip);
    parser.addOption(highDpi);
    parser.process(app);

    const QString clipFile = parser.isSet(clip) ? parser.value(clip) : defaultClip();
    if (clipFile.isEmpty())
        std::fprintf(stderr, "gallery: no video clip found; the video page stays empty\n");

    GalleryWindow window;
    window.addPage(createColorPage());
    window.addPage(createIconsPage());
    window.addPage(createDpiPage());
    window.addPage(createHelpersPage());
    window.addPage(createStatusMessagesPage());
    window.addPage(createDimmerPage());
    window.addPage(createVideoPage(clipFile));
    window.addPage(createAboutPage());
    window.resize(1100, 720);
    window.show();
    window.showPage(0);

    if (!parser.isSet(screenshots))
        return app.exec();

    int code = takeScreenshots(window, parser.value(screenshots));
    for (const QString &warning : qAsConst(pluginWarnings)) {
        std::fprintf(stderr, "gallery: %s\n", qPrintable(warning));
        code = 1;
    }
    return code;
}
