// Tree removal on real trees: what goes, what stays and is reported, deep
// trees, and (Linux) FIFOs and broken links left alone.

#include "platformcheck.h"

#include "Platform/treeremover.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;
using Platform::TreeRemover;

namespace {

using Report = std::pair<TreeRemover::Entry, std::string>;
using Removal = std::pair<int, std::vector<Report>>; // entries left, reports in order

Removal removeTree(const fs::path &path)
{
    Removal removal;
    removal.first = TreeRemover::system().removeTree(
        path.generic_u8string(), [&](TreeRemover::Entry kind, const std::string &reported) {
            removal.second.emplace_back(kind, reported);
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

// A folder of its own for each test, removed with whatever is left in it.
struct Scratch
{
    const fs::path root = fs::temp_directory_path()
        / ("treeremover-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    Scratch() { fs::create_directories(root); }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

} // namespace

PLATFORM_TEST(whatGoesAndWhatStays)
{
    // A folder with a hidden entry stays and is reported after the folders
    // inside it; everything else goes.
    Scratch scratch;
    const fs::path outer = scratch.root / "outer";
    fs::create_directories(outer / "inner" / "b");
    fs::create_directories(outer / "empty");
    writeFile(outer / "inner" / "b" / "file.txt");
    writeFile(outer / "inner" / "visible.txt");
    writeFile(outer / "file.txt");
    const fs::path hidden = hiddenFile(outer / "inner");
    const std::string outerPath = outer.generic_u8string();
    CHECK(removeTree(outer) == Removal(2, {{TreeRemover::Entry::Directory, outerPath + "/inner"},
                                           {TreeRemover::Entry::Directory, outerPath}}));
    CHECK(fs::exists(hidden));
    CHECK(!fs::exists(outer / "inner" / "b") && !fs::exists(outer / "inner" / "visible.txt"));
    CHECK(!fs::exists(outer / "file.txt") && !fs::exists(outer / "empty"));

    // Given directly, a hidden entry goes like any other; then the tree goes
    // completely, and a missing path is nothing to do.
    CHECK(removeTree(hidden) == Removal() && !fs::exists(hidden));
    CHECK(removeTree(outer) == Removal() && !fs::exists(outer));
    CHECK(removeTree(scratch.root / "missing") == Removal());
    CHECK(removeTree(scratch.root / "missing" / "deeper") == Removal());
}

PLATFORM_TEST(deepTreesAreWalkedToTheBottom)
{
    // Deeper than the directories the walk keeps open at once: the released
    // ones are opened again on the way up, and the reported paths stay right.
    Scratch scratch;
    const int depth = 130;
    const fs::path top = scratch.root / "deep";
    fs::path deepest = top;
    for (int level = 0; level < depth; ++level, deepest /= "d") {
        fs::create_directories(deepest);
        writeFile(deepest / "f");
    }
    fs::create_directories(deepest);
    const fs::path hidden = hiddenFile(deepest);
    const Removal removal = removeTree(top);
    CHECK(removal.first == depth + 1);
    CHECK(!removal.second.empty() && removal.second.front().second == deepest.generic_u8string());
    CHECK(!removal.second.empty() && removal.second.back().second == top.generic_u8string());
    CHECK(fs::exists(hidden) && !fs::exists(top / "f"));

    // Without the hidden file the whole chain goes.
    fs::remove(hidden);
    CHECK(removeTree(top) == Removal() && !fs::exists(top));
}

#if !defined(_WIN32)
PLATFORM_TEST(fifosAndBrokenLinksStay)
{
    // Not files or directories: they stay, and so does their folder. (Links
    // are removed as links: see the removal tests of Basics.)
    Scratch scratch;
    const fs::path tree = scratch.root / "tree";
    fs::create_directories(tree);
    CHECK(mkfifo((tree / "fifo").c_str(), 0600) == 0);
    fs::create_symlink(scratch.root / "nowhere", tree / "broken");
    CHECK(removeTree(tree) == Removal(1, {{TreeRemover::Entry::Directory, tree.generic_u8string()}}));
    CHECK(fs::is_fifo(tree / "fifo") && fs::is_symlink(tree / "broken"));
}
#endif

int main()
{
    return platformcheck::runAll();
}
