#pragma once

// Basics::compactPath's rule exactly as documented, measuring the whole
// candidate after every removed character: the reference that the fast
// implementation must match (tests) and beat (benchmark).

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QString>

inline QString compactPathReference(QString path, int maxWidth, const QFont &font)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(path) <= maxWidth)
        return path;
    const QFileInfo info(path);
    QString dir = QDir::toNativeSeparators(info.absolutePath());
    QString name = info.fileName();
    const QString sep = QDir::separator();
    while (metrics.horizontalAdvance(dir + "..." + sep + name) > maxWidth && !dir.isEmpty())
        dir.chop(1);
    path = dir + "..." + sep + name;
    if (metrics.horizontalAdvance(path) > maxWidth) {
        while (metrics.horizontalAdvance("..." + sep + name + "...") > maxWidth && name.size() > 1)
            name.chop(1);
        path = "..." + sep + name + "...";
    }
    return path;
}
