#include "Basics/atomicfile_p.h"

#include <QFileInfo>

AtomicFile::AtomicFile(const QString &path) : m_save(path), m_direct(path) {}

bool AtomicFile::open(QIODevice::OpenMode mode)
{
    // Followed through links, as the rename would be.
    const QFileInfo target(m_save.fileName());
    const bool special = target.exists() && !target.isFile() && !target.isDir();
    m_device = special ? static_cast<QFileDevice *>(&m_direct) : &m_save;
    m_failed = false;
    m_error.clear();
    return m_device->open(QIODevice::WriteOnly | mode);
}

bool AtomicFile::write(const char *data, qint64 size)
{
    if (m_failed || !m_device)
        return false;
    if (size > 0 && m_device->write(data, size) != size)
        m_failed = true;
    return !m_failed;
}

bool AtomicFile::commit()
{
    if (!m_device)
        return false;
    // QSaveFile::commit() would close without reporting an error of this
    // last flush, and rename what made it to the disk.
    if (!m_failed && !m_device->flush())
        m_failed = true;
    if (m_device == &m_direct) {
        if (!m_failed && m_direct.error() != QFileDevice::NoError)
            m_failed = true;
        if (m_failed)
            m_error = m_direct.errorString(); // before closing clears it
        m_direct.close();
        return !m_failed;
    }
    if (m_failed) {
        m_error = m_save.errorString();
        m_save.cancelWriting();
        m_save.commit(); // removes the temporary file; the target stays
        return false;
    }
    return m_save.commit();
}

QString AtomicFile::errorString() const
{
    if (!m_error.isEmpty())
        return m_error;
    return m_device ? m_device->errorString() : m_save.errorString();
}
