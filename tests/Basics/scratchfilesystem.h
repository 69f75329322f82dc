#pragma once

// Real file-system failures for write tests, on Linux:
//  - ScratchMount: a small tmpfs, full after a few pages, optionally made
//    read-only; needs the right to mount (root in the build containers);
//  - FileSizeLimit: RLIMIT_FSIZE for this process, so that writes past the
//    limit fail with EFBIG, for any user.
// Both undo themselves when they go out of scope.

#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

class ScratchMount
{
public:
    /// Mounts a tmpfs of \a kibibytes on a fresh directory; check mounted().
    explicit ScratchMount(int kibibytes)
    {
#ifdef Q_OS_LINUX
        if (!m_dir.isValid())
            return;
        m_mounted = run({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=%1k,mode=0777").arg(kibibytes),
                         QStringLiteral("tmpfs"), m_dir.path()});
#else
        Q_UNUSED(kibibytes)
#endif
    }
    ~ScratchMount()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir.path()});
    }
    ScratchMount(const ScratchMount &) = delete;
    ScratchMount &operator=(const ScratchMount &) = delete;

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    /// Makes the mounted file system read-only.
    bool makeReadOnly()
    {
        return m_mounted
               && run({QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()});
    }

    /// Names in the directory (to find left-over temporary files).
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    static bool run(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral("mount"), arguments);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
               && process.exitCode() == 0;
    }

    QTemporaryDir m_dir;
    bool m_mounted = false;
};

class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes)
    {
#ifdef Q_OS_LINUX
        // Past the limit the kernel sends SIGXFSZ, which would end the test.
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = rlim_t(bytes);
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
#else
        Q_UNUSED(bytes)
#endif
    }
    ~FileSizeLimit()
    {
#ifdef Q_OS_LINUX
        if (m_active)
            setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
#endif
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    bool m_active = false;
#ifdef Q_OS_LINUX
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
#endif
};

inline bool runningAsRoot()
{
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}
