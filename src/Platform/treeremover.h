#pragma once

// Removing a file, a link or a whole directory tree without ever leaving it.
//
//     int left = Platform::TreeRemover::instance().removeTree(
//         "/home/me/scratch",
//         [](Platform::TreeRemover::Entry kind, const std::string &path) {
//             std::fprintf(stderr, "could not remove %s\n", path.c_str());
//         });
//
// The tree is walked by open directory handles, never by path names again:
// an entry is opened relative to the handle of the directory it was listed
// in, without following links, so a folder swapped for a link while the
// removal runs, or a second process removing the same tree, can neither lead
// the removal outside the tree nor make it act on another directory.
//
// Linux: openat/fstatat/unlinkat with O_NOFOLLOW and O_DIRECTORY. Windows:
// NtCreateFile relative to the parent's handle with reparse points not
// followed, deletion through the handle.

#include <basicsdll_export.h>

#include <functional>
#include <string>

namespace Platform {

class BASICSDLL_EXPORT TreeRemover
{
public:
    /// What an entry that stays in place was.
    enum class Entry {
        Directory, ///< a directory (it could not be removed, or it kept entries)
        File       ///< a file, or a link removed as a link
    };
    /// Told about every entry that stays in place, with its path: the path
    /// given to removeTree() followed by the names below it.
    using FailureReport = std::function<void(Entry kind, const std::string &path)>;

    virtual ~TreeRemover();

    /// Removes what \a path names and returns the number of entries left in
    /// place (0 on success); each of them is also handed to \a report.
    ///
    /// \a path is absolute, in the file system's encoding (bytes on Linux,
    /// UTF-8 on Windows); its last component is the entry to remove. A link
    /// is removed as a link, never followed. Below a directory, hidden entries
    /// (Linux: names starting with '.'; Windows: the hidden attribute), broken
    /// links and entries that are neither files, directories nor links are
    /// left alone, so their directory stays and counts. A missing entry, one
    /// that vanishes meanwhile, and anything that is neither file, directory
    /// nor link given directly count 0. A path without a last component (a
    /// file-system root) is refused with one failure, removing nothing.
    virtual int removeTree(const std::string &path, const FailureReport &report) = 0;

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static TreeRemover &instance();
    /// The operating system's implementation.
    static TreeRemover &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static TreeRemover *install(TreeRemover *scripted);
};

} // namespace Platform
