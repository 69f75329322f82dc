// Arbitrary file content for Basics::loadIcon: never a crash, a hang or an
// oversized image; what loads is a pixmap icon whose images are within the
// limits, and it writes and loads back to the same sizes and pixels.

#include <Basics/basics.h>
#include <Output/mywarnings.h>

#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

const QString &scratchPath()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("in.icon"));
    return path;
}

QIcon loadBytes(const QByteArray &bytes)
{
    QFile file(scratchPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes) != bytes.size())
        std::abort();
    file.close();
    return Basics::loadIcon(scratchPath());
}

const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected};
const QIcon::State states[] = {QIcon::Off, QIcon::On};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    MyWarnings::debugLevel = -100; // no diagnostic lines
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QIcon icon = loadBytes(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (icon.isNull() || !icon.name().isEmpty()) // null, or an icon of the theme
        return 0;

    qint64 pixels = 0;
    for (QIcon::Mode mode : modes) {
        for (QIcon::State state : states) {
            for (const QSize &size : icon.availableSizes(mode, state)) {
                if (size.width() > 8192 || size.height() > 8192)
                    std::abort();
                pixels += qint64(size.width()) * size.height();
            }
        }
    }
    if (pixels > (qint64(64) << 20))
        std::abort();

    QByteArray written;
    {
        QDataStream stream(&written, QIODevice::WriteOnly);
        stream << icon;
    }
    const QIcon again = loadBytes(written);
    for (QIcon::Mode mode : modes) {
        for (QIcon::State state : states) {
            const QList<QSize> sizes = icon.availableSizes(mode, state);
            if (again.availableSizes(mode, state) != sizes)
                std::abort();
            for (const QSize &size : sizes) {
                if (icon.pixmap(size, mode, state).toImage()
                    != again.pixmap(size, mode, state).toImage())
                    std::abort();
            }
        }
    }
    return 0;
}
