// color-table COUNT COLOR COLOR... [-o strip.png] and wavelength NM: colour
// tables and wavelength colours of ColorHelper.

#include "cli.h"

#include <ColorHelper/colorhelper.h>

#include <QImage>
#include <QSaveFile>

namespace {

constexpr int largestTable = 1 << 24;
constexpr int widestStrip = 65536;
constexpr int stripHeight = 16;

int writeStrip(const QString &path, const QVector<QRgb> &table)
{
    const QString command = QStringLiteral("color-table");
    QImage strip(table.size(), stripHeight, QImage::Format_RGB32);
    if (strip.isNull())
        return cli::failure(command, QStringLiteral("not enough memory for the strip"));
    for (int y = 0; y < stripHeight; ++y)
        std::copy(table.begin(), table.end(), reinterpret_cast<QRgb *>(strip.scanLine(y)));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !strip.save(&file, "PNG") || !file.commit())
        return cli::failure(command, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return cli::Success;
}

int runColorTable(const QStringList &arguments)
{
    const QString command = QStringLiteral("color-table");
    QStringList positional;
    QString output;
    if (!cli::splitOutputOption(arguments, &positional, &output))
        return cli::usageError(command, QStringLiteral("-o expects one FILE"));
    if (positional.size() < 3)
        return cli::usageError(command, QStringLiteral("expects COUNT and at least two colours"));
    int count = 0;
    if (!cli::parseCount(positional.first(), 1, largestTable, &count))
        return cli::usageError(command, QStringLiteral("COUNT must be a whole number from 1 to %1")
                                            .arg(largestTable));
    if (!output.isNull() && count > widestStrip)
        return cli::usageError(command, QStringLiteral("a strip holds at most %1 colours").arg(widestStrip));
    QVector<QColor> palette;
    for (const QString &name : positional.mid(1)) {
        const QColor color(name);
        if (!color.isValid())
            return cli::usageError(command, QStringLiteral("'%1' is no colour (#rrggbb or a name "
                                                           "such as red)")
                                                .arg(name));
        palette << color;
    }

    const QVector<QRgb> table = ColorHelper::createColorTable(count, palette);
    if (!output.isNull())
        return writeStrip(output, table);
    QString text;
    text.reserve(table.size() * 8);
    for (QRgb rgb : table)
        text += QColor(rgb).name() + QLatin1Char('\n');
    cli::out() << text;
    return cli::Success;
}

int runWavelength(const QStringList &arguments)
{
    const QString command = QStringLiteral("wavelength");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one wavelength NM in nanometres"));
    bool number = false;
    const double nanometres = arguments.first().toDouble(&number);
    if (!number)
        return cli::usageError(command, QStringLiteral("'%1' is no number").arg(arguments.first()));
    cli::out() << ColorHelper::colorFromWavelength(nanometres * 1e-6).name() << '\n';
    return cli::Success;
}

const cli::Registrar s_registerColorTable(cli::Command{
    QStringLiteral("color-table"), QStringLiteral("color-table COUNT COLOR COLOR... [-o STRIP.png]"),
    QStringLiteral("Print COUNT colours running through the palette (#rrggbb per line), or write "
                   "them as a PNG strip"),
    runColorTable});
const cli::Registrar s_registerWavelength(cli::Command{
    QStringLiteral("wavelength"), QStringLiteral("wavelength NM"),
    QStringLiteral("Print the display colour of light of NM nanometres (#rrggbb)"), runWavelength});

} // namespace
