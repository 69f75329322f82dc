// Tree removal by directory file descriptors (openat, fstatat, unlinkat).
//
// Every entry is looked at, opened and removed relative to the descriptor of
// the directory it was listed in, never by its path, and directories are
// opened with O_NOFOLLOW | O_DIRECTORY: an entry that turns into a link
// meanwhile is removed as a link, never descended into. The walk keeps its
// own stack, so the depth of a tree costs heap, not call stack.

#include "Platform/treeremover.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace Platform {

namespace {

// Directories more than this many levels above the one being emptied give
// back their descriptor meanwhile and open it again through ".." (checked to
// be the same directory), so any depth fits the process's descriptor limit.
constexpr std::size_t HeldDirectories = 48;

// An entry that keeps changing its type under the walk is given up after
// this many looks.
constexpr int MaxAttempts = 8;

enum class Kind { LeftAlone, Directory, NonDirectory };

// What \a name in \a dirFd is, without following a link. Missing entries,
// broken links and entries that are neither files, directories nor links
// are left alone, as a listing of files and directories leaves them out.
Kind classify(int dirFd, const char *name)
{
    struct stat status;
    if (fstatat(dirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::LeftAlone;
    if (S_ISDIR(status.st_mode))
        return Kind::Directory;
    if (S_ISREG(status.st_mode))
        return Kind::NonDirectory;
    if (S_ISLNK(status.st_mode)) {
        struct stat target;
        return fstatat(dirFd, name, &target, 0) == 0 ? Kind::NonDirectory : Kind::LeftAlone;
    }
    return Kind::LeftAlone;
}

// The visible names in the open directory: no ".", "..", nor hidden names.
std::vector<std::string> listNames(int fd)
{
    std::vector<std::string> names;
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0); // closedir() closes it
    if (copy < 0)
        return names;
    DIR *dir = fdopendir(copy);
    if (!dir) {
        close(copy);
        return names;
    }
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

class Walk
{
public:
    Walk(int topFd, std::string topPath, const TreeRemover::FailureReport &report)
        : m_topFd(topFd), m_topPath(std::move(topPath)), m_report(report)
    {
    }

    int run(const std::string &name)
    {
        m_total += visit(m_topFd, name);
        while (!m_frames.empty()) {
            const std::size_t innermost = m_frames.size() - 1;
            Frame &frame = m_frames[innermost];
            if (frame.fd >= 0 && frame.next < frame.entries.size()) {
                const std::string entry = std::move(frame.entries[frame.next++]);
                const int failures = visit(frame.fd, entry); // may push a frame
                m_frames[innermost].failures += failures;
            } else {
                finishInnermost();
            }
        }
        return m_total;
    }

private:
    struct Frame
    {
        int fd = -1;
        dev_t device = 0;
        ino_t inode = 0;
        std::string name; // in the parent directory
        std::vector<std::string> entries;
        std::size_t next = 0;
        int failures = 0;
        bool lost = false; // could not be opened again
    };

    // Removes a file or link, or starts on a directory (pushes its frame).
    // Returns the failures known now.
    int visit(int dirFd, const std::string &name)
    {
        for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
            switch (classify(dirFd, name.c_str())) {
            case Kind::LeftAlone:
                return 0;
            case Kind::NonDirectory:
                // unlinkat never follows a link: the link itself goes.
                if (unlinkat(dirFd, name.c_str(), 0) == 0 || errno == ENOENT)
                    return 0;
                if (errno == EISDIR)
                    continue; // became a directory meanwhile
                return fail(TreeRemover::Entry::File, name);
            case Kind::Directory: {
                const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (fd < 0) {
                    if (errno == ENOENT)
                        return 0;
                    if (errno == ELOOP || errno == ENOTDIR)
                        continue; // became a link or a file meanwhile
                    // Not readable (or no descriptor left): it can only go if
                    // it is empty.
                    if (unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT)
                        return 0;
                    return fail(TreeRemover::Entry::Directory, name);
                }
                push(fd, name);
                return 0;
            }
            }
        }
        return fail(TreeRemover::Entry::File, name);
    }

    void push(int fd, const std::string &name)
    {
        Frame frame;
        frame.fd = fd;
        struct stat status;
        if (fstat(fd, &status) == 0) {
            frame.device = status.st_dev;
            frame.inode = status.st_ino;
        }
        frame.name = name;
        frame.entries = listNames(fd);
        m_frames.push_back(std::move(frame));
        if (m_frames.size() > HeldDirectories + 1) {
            Frame &released = m_frames[m_frames.size() - 2 - HeldDirectories];
            if (released.fd >= 0) {
                close(released.fd);
                released.fd = -1;
            }
        }
    }

    // The innermost directory is done: close it and remove it from its parent.
    void finishInnermost()
    {
        Frame done = std::move(m_frames.back());
        m_frames.pop_back();
        int parentFd = m_topFd;
        if (!m_frames.empty()) {
            Frame &parent = m_frames.back();
            if (parent.fd < 0 && !parent.lost)
                reopen(parent, done.fd);
            parentFd = parent.fd;
        }
        if (done.fd >= 0)
            close(done.fd);
        int failures = done.failures;
        if (parentFd < 0 || (unlinkat(parentFd, done.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT))
            failures += fail(TreeRemover::Entry::Directory, done.name);
        if (m_frames.empty())
            m_total += failures;
        else
            m_frames.back().failures += failures;
    }

    // Opens a released directory again from its child; if it is no longer
    // the same directory (the tree was moved meanwhile), the rest of it is
    // left in place.
    void reopen(Frame &frame, int childFd)
    {
        if (childFd >= 0) {
            const int fd = openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            struct stat status;
            if (fd >= 0 && fstat(fd, &status) == 0 && status.st_dev == frame.device
                && status.st_ino == frame.inode) {
                frame.fd = fd;
                return;
            }
            if (fd >= 0)
                close(fd);
        }
        frame.lost = true;
    }

    // Reports \a name of the innermost directory (or the top entry) as left
    // in place; returns 1.
    int fail(TreeRemover::Entry kind, const std::string &name)
    {
        std::string path = m_topPath;
        if (!m_frames.empty()) {
            for (std::size_t i = 1; i < m_frames.size(); ++i)
                path += '/' + m_frames[i].name;
            path += '/' + name;
        }
        if (m_report)
            m_report(kind, path);
        return 1;
    }

    int m_topFd;
    std::string m_topPath;
    const TreeRemover::FailureReport &m_report;
    std::vector<Frame> m_frames;
    int m_total = 0;
};

class PosixTreeRemover : public TreeRemover
{
public:
    int removeTree(const std::string &path, const FailureReport &report) override
    {
        std::string entryPath = path;
        while (entryPath.size() > 1 && entryPath.back() == '/')
            entryPath.pop_back();
        const std::size_t slash = entryPath.rfind('/');
        const std::string name = slash == std::string::npos ? entryPath : entryPath.substr(slash + 1);
        if (name.empty() || name == "." || name == "..") {
            // A root, or a name that stands for another directory.
            if (report)
                report(Entry::Directory, path);
            return 1;
        }
        const std::string parent = slash == std::string::npos ? std::string(".")
                                   : slash == 0                 ? std::string("/")
                                                                : entryPath.substr(0, slash);
        const int parentFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentFd < 0) {
            struct stat status;
            if (lstat(entryPath.c_str(), &status) != 0)
                return 0;
            if (report)
                report(S_ISDIR(status.st_mode) ? Entry::Directory : Entry::File, entryPath);
            return 1;
        }
        const int failures = Walk(parentFd, entryPath, report).run(name);
        close(parentFd);
        return failures;
    }
};

} // namespace

TreeRemover &TreeRemover::system()
{
    static PosixTreeRemover remover;
    return remover;
}

} // namespace Platform
