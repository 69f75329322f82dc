// icon-pack PNG... -o FILE and icon-unpack FILE DIR: make and inspect the
// icon files that Basics::loadIcon reads (one QIcon as QDataStream writes
// it). Nothing is left behind on failure.

#include "cli.h"

#include <Basics/basics.h>
#include <Output/mywarnings.h>

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define dup _dup
#define dup2 _dup2
#define close _close
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
const char *const nullDevice = "NUL";
#else
const char *const nullDevice = "/dev/null";
#endif

// The PNG decoder reports broken files on stderr itself, past the toolkit;
// this tool reports them in its own one line instead.
class QuietStderr
{
public:
    QuietStderr()
    {
        std::fflush(stderr);
        m_saved = dup(fileno(stderr));
        if (std::FILE *null = std::fopen(nullDevice, "w")) {
            dup2(fileno(null), fileno(stderr));
            std::fclose(null);
        }
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (m_saved >= 0) {
            dup2(m_saved, fileno(stderr));
            close(m_saved);
        }
    }
    QuietStderr(const QuietStderr &) = delete;
    QuietStderr &operator=(const QuietStderr &) = delete;

private:
    int m_saved = -1;
};

constexpr int largestEdge = 8192; // what loadIcon reads

struct Look
{
    QIcon::Mode mode;
    QIcon::State state;
    const char *name;
};

const Look looks[] = {
    {QIcon::Normal, QIcon::Off, "normal-off"},     {QIcon::Normal, QIcon::On, "normal-on"},
    {QIcon::Disabled, QIcon::Off, "disabled-off"}, {QIcon::Disabled, QIcon::On, "disabled-on"},
    {QIcon::Active, QIcon::Off, "active-off"},     {QIcon::Active, QIcon::On, "active-on"},
    {QIcon::Selected, QIcon::Off, "selected-off"}, {QIcon::Selected, QIcon::On, "selected-on"}};

int runIconPack(const QStringList &arguments)
{
    const QString command = QStringLiteral("icon-pack");
    MyWarnings::debugLevel = -100; // loadIcon's diagnostic lines are not for this tool
    QStringList pngs;
    QString output;
    if (!cli::splitOutputOption(arguments, &pngs, &output))
        return cli::usageError(command, QStringLiteral("-o expects one FILE"));
    if (pngs.isEmpty() || output.isNull())
        return cli::usageError(command, QStringLiteral("expects PNG files and -o FILE"));

    QIcon icon;
    for (const QString &path : pngs) {
        QImageReader reader(path, "png");
        reader.setDecideFormatFromContent(false);
        QSize size;
        {
            const QuietStderr quiet;
            size = reader.size();
        }
        if (size.width() > largestEdge || size.height() > largestEdge)
            return cli::failure(command, QStringLiteral("%1 is larger than %2 pixels on a side, "
                                                        "more than loadIcon reads")
                                             .arg(path)
                                             .arg(largestEdge));
        QImage image;
        {
            const QuietStderr quiet;
            image = reader.read();
        }
        if (image.isNull())
            return cli::failure(command, QStringLiteral("cannot read the PNG image %1: %2")
                                             .arg(path, reader.errorString()));
        icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal, QIcon::Off);
    }
    QByteArray bytes;
    {
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << icon;
    }

    // The file is for loadIcon: make sure it takes it, before it is written.
    QTemporaryDir scratch;
    QSaveFile check(scratch.filePath(QStringLiteral("check.icon")));
    if (!scratch.isValid() || !check.open(QIODevice::WriteOnly) || check.write(bytes) != bytes.size()
        || !check.commit())
        return cli::failure(command, QStringLiteral("cannot write a scratch file to check the icon"));
    if (Basics::loadIcon(check.fileName()).isNull())
        return cli::failure(command, QStringLiteral("the images hold more pixels than loadIcon "
                                                    "reads (64 Mi in all)"));

    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return cli::failure(command, QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
    return cli::Success;
}

int runIconUnpack(const QStringList &arguments)
{
    const QString command = QStringLiteral("icon-unpack");
    MyWarnings::debugLevel = -100;
    if (arguments.size() != 2)
        return cli::usageError(command, QStringLiteral("expects FILE and DIR"));
    const QString &path = arguments.at(0);
    if (!QFileInfo(path).isFile())
        return cli::failure(command, QStringLiteral("cannot read %1").arg(path));
    QIcon icon;
    {
        const QuietStderr quiet;
        icon = Basics::loadIcon(path);
    }
    if (icon.isNull())
        return cli::failure(command, QStringLiteral("%1 holds no icon that loadIcon reads").arg(path));

    // Every image first in memory, then the files.
    QList<QPair<QString, QByteArray>> images;
    QStringList names;
    for (const Look &look : looks) {
        for (const QSize &size : icon.availableSizes(look.mode, look.state)) {
            const QPixmap pixmap = icon.pixmap(size, look.mode, look.state);
            const QString base = QStringLiteral("%1x%2-%3")
                                     .arg(pixmap.width())
                                     .arg(pixmap.height())
                                     .arg(QLatin1String(look.name));
            QString name = base;
            for (int n = 2; names.contains(name); ++n)
                name = base + QStringLiteral("-%1").arg(n);
            names << name;
            QByteArray png;
            QBuffer buffer(&png);
            if (!buffer.open(QIODevice::WriteOnly) || !pixmap.save(&buffer, "PNG"))
                return cli::failure(command, QStringLiteral("cannot encode the image %1").arg(name));
            images.append({name + QStringLiteral(".png"), png});
        }
    }

    const QDir dir(arguments.at(1));
    const bool existed = dir.exists();
    if (!dir.mkpath(QStringLiteral(".")))
        return cli::failure(command, QStringLiteral("cannot create %1").arg(dir.path()));
    QStringList written;
    for (const auto &image : qAsConst(images)) {
        QSaveFile file(dir.filePath(image.first));
        if (!file.open(QIODevice::WriteOnly) || file.write(image.second) != image.second.size()
            || !file.commit()) {
            for (const QString &done : qAsConst(written))
                QFile::remove(done);
            if (!existed)
                dir.rmdir(QStringLiteral("."));
            return cli::failure(command, QStringLiteral("cannot write %1: %2")
                                             .arg(file.fileName(), file.errorString()));
        }
        written << file.fileName();
    }
    for (const QString &done : qAsConst(written))
        cli::out() << done << '\n';
    return cli::Success;
}

const cli::Registrar s_registerIconPack(cli::Command{
    QStringLiteral("icon-pack"), QStringLiteral("icon-pack PNG... -o FILE"),
    QStringLiteral("Write the PNG images as one icon file for loadIcon (normal, unchecked look)"),
    runIconPack, true});
const cli::Registrar s_registerIconUnpack(cli::Command{
    QStringLiteral("icon-unpack"), QStringLiteral("icon-unpack FILE DIR"),
    QStringLiteral("Write each image of the icon file as DIR/WxH-MODE-STATE.png and list them"),
    runIconUnpack, true});

} // namespace
