// The system's tree removal on real trees: what goes, what stays and how it
// is reported, at a depth beyond the descriptors the walk keeps open, and
// links removed as links (Linux; symbolic links need privileges on Windows).

#include "platformcheck.h"

#include "Platform/treeremover.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using Platform::TreeRemover;

namespace {

using Report = std::pair<TreeRemover::Entry, std::string>;

struct Removal
{
    int count = 0;
    std::vector<Report> reports;
};

Removal removeTree(const fs::path &path)
{
    Removal removal;
    removal.count = TreeRemover::system().removeTree(
        path.generic_u8string(), [&](TreeRemover::Entry kind, const std::string &reported) {
            removal.reports.emplace_back(kind, reported);
        });
    return removal;
}

void writeFile(const fs::path &path)
{
    std::ofstream(path) << "x";
}

// Linux: a dot name; Windows: the hidden attribute.
fs::path hiddenFile(const fs::path &folder)
{
#if defined(_WIN32)
    const fs::path path = folder / "hidden.txt";
    writeFile(path);
    SetFileAttributesW(path.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
    const fs::path path = folder / ".hidden";
    writeFile(path);
#endif
    return path;
}

class Scratch
{
public:
    Scratch()
    {
        m_root = fs::temp_directory_path() / ("treeremover-" + std::to_string(
#if defined(_WIN32)
                                                                  GetCurrentProcessId()
#else
                                                                  getpid()
#endif
                                                                      ));
        fs::create_directories(m_root);
    }
    ~Scratch()
    {
        std::error_code ignored;
#if defined(_WIN32)
        for (const auto &entry : fs::recursive_directory_iterator(m_root, ignored))
            SetFileAttributesW(entry.path().wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
        fs::remove_all(m_root, ignored);
    }
    const fs::path &root() const { return m_root; }

private:
    fs::path m_root;
};

} // namespace

PLATFORM_TEST(treesAndFilesGoCompletely)
{
    Scratch scratch;
    const fs::path tree = scratch.root() / "tree";
    fs::create_directories(tree / "a" / "b");
    fs::create_directories(tree / "empty");
    writeFile(tree / "a" / "b" / "file.txt");
    writeFile(tree / "top.txt");
    const Removal removal = removeTree(tree);
    CHECK(removal.count == 0);
    CHECK(removal.reports.empty());
    CHECK(!fs::exists(tree));

    const fs::path single = scratch.root() / "single.txt";
    writeFile(single);
    CHECK(removeTree(single).count == 0);
    CHECK(!fs::exists(single));

    const Removal missing = removeTree(scratch.root() / "missing");
    CHECK(missing.count == 0 && missing.reports.empty());
    CHECK(removeTree(scratch.root() / "missing" / "deeper").count == 0);
}

PLATFORM_TEST(hiddenEntriesKeepTheirFolders)
{
    Scratch scratch;
    const fs::path outer = scratch.root() / "outer";
    fs::create_directories(outer / "inner");
    const fs::path hidden = hiddenFile(outer / "inner");
    writeFile(outer / "inner" / "visible.txt");
    writeFile(outer / "file.txt");
    const Removal removal = removeTree(outer);
    CHECK(removal.count == 2);
    const std::string outerPath = outer.generic_u8string();
    CHECK(removal.reports.size() == 2);
    if (removal.reports.size() == 2) {
        CHECK(removal.reports[0] == Report(TreeRemover::Entry::Directory, outerPath + "/inner"));
        CHECK(removal.reports[1] == Report(TreeRemover::Entry::Directory, outerPath));
    }
    CHECK(fs::exists(hidden));
    CHECK(!fs::exists(outer / "inner" / "visible.txt"));
    CHECK(!fs::exists(outer / "file.txt"));

    // Given directly, a hidden entry goes like any other.
    CHECK(removeTree(hidden).count == 0);
    CHECK(!fs::exists(hidden));
}

PLATFORM_TEST(deepTreesAreWalkedToTheBottom)
{
    // Deeper than the directories the walk keeps open at once: the released
    // ones are opened again on the way up, and the reported paths stay right.
    Scratch scratch;
    const int depth = 130;
    fs::path deepest = scratch.root() / "deep";
    std::string expected = deepest.generic_u8string();
    for (int level = 0; level < depth; ++level) {
        fs::create_directories(deepest);
        writeFile(deepest / "f");
        deepest /= "d";
        expected += "/d";
    }
    fs::create_directories(deepest);
    const fs::path hidden = hiddenFile(deepest);
    const Removal removal = removeTree(scratch.root() / "deep");
    CHECK(removal.count == depth + 1);
    CHECK(!removal.reports.empty() && removal.reports.front().second == expected);
    CHECK(!removal.reports.empty()
          && removal.reports.back().second == (scratch.root() / "deep").generic_u8string());
    CHECK(fs::exists(deepest));
    CHECK(!fs::exists(scratch.root() / "deep" / "f"));

    // Without the hidden file the whole chain goes.
#if defined(_WIN32)
    SetFileAttributesW(hidden.wstring().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    fs::remove(hidden);
    CHECK(removeTree(scratch.root() / "deep").count == 0);
    CHECK(!fs::exists(scratch.root() / "deep"));
}

#if !defined(_WIN32)
PLATFORM_TEST(linksGoAsLinksAndOtherEntriesStay)
{
    Scratch scratch;
    const fs::path outside = scratch.root() / "outside";
    const fs::path tree = scratch.root() / "tree";
    fs::create_directories(outside / "keep");
    writeFile(outside / "keep" / "precious.txt");
    fs::create_directories(tree / "sub");
    fs::create_directory_symlink(outside, tree / "dirlink");
    fs::create_symlink(outside / "keep" / "precious.txt", tree / "sub" / "filelink");
    CHECK(removeTree(tree).count == 0);
    CHECK(!fs::exists(tree));
    CHECK(fs::exists(outside / "keep" / "precious.txt"));

    // A FIFO and a broken link are not files or directories: they stay, and
    // so does their folder.
    fs::create_directories(tree);
    CHECK(mkfifo((tree / "fifo").c_str(), 0600) == 0);
    fs::create_symlink(scratch.root() / "nowhere", tree / "broken");
    const Removal removal = removeTree(tree);
    CHECK(removal.count == 1);
    CHECK(fs::is_fifo(tree / "fifo") && fs::is_symlink(tree / "broken"));
}
#endif

int main()
{
    return platformcheck::runAll();
}
