#pragma once

// The one way the library writes a file: replaced whole, or not at all.
//
//     AtomicFile file(path);
//     if (!file.open() || !file.write(bytes) || !file.commit())
//         return fail(file.errorString());   // the previous file is untouched
//
// The data goes to a temporary file beside the target, which is flushed and
// checked before it is renamed over the target: an error that only shows in
// the last flush (a full disk, with data smaller than the write buffer) fails
// the commit instead of replacing the file with a truncated one. An existing
// target that is not a regular file (a FIFO, a character device such as
// /dev/null) is written directly instead: renaming a file over it would
// replace it.

#include <basicsdll_export.h>

#include <QFile>
#include <QSaveFile>
#include <QString>

class BASICSDLL_EXPORT AtomicFile
{
public:
    explicit AtomicFile(const QString &path);
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    /// Opens for writing; \a mode may add QIODevice::Text (platform line
    /// ends). False, with errorString(), when the file cannot be opened.
    bool open(QIODevice::OpenMode mode = QIODevice::NotOpen);
    /// Writes all of \a data; false on any error (the commit then fails too).
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &data) { return write(data.constData(), data.size()); }
    /// Flushes, checks and puts the file in place. False (previous file
    /// untouched, temporary file gone) when anything went wrong.
    bool commit();
    /// The toolkit's text for the last failure.
    QString errorString() const;
    /// Whether the target is replaced by renaming (false for non-regular
    /// targets, which are written directly).
    bool isAtomic() const { return m_device == &m_save; }

private:
    QSaveFile m_save;
    QFile m_direct;
    QFileDevice *m_device = nullptr;
    bool m_failed = false;
    QString m_error; // kept across the clean-up of a failed commit
};
