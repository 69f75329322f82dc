// Detached starts against real peers: CommandLineToArgvW under Wine for
// random argument lists, and 300 real children reporting what they got.

#include "platformcheck.h"
#include "testpeer.h"

#include "Platform/processlauncher.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#if defined(_WIN32)
#include <shellapi.h>
#else
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

using namespace testpeer;
using Platform::DetachedStart;

namespace {

std::u16string u16(const std::string &ascii) { return std::u16string(ascii.begin(), ascii.end()); }

#if defined(_WIN32)
bool makeDirectory(const std::u16string &path)
{
    return CreateDirectoryW(reinterpret_cast<const wchar_t *>(path.c_str()), nullptr);
}
void setVariable(const char *name, const std::string &value) { SetEnvironmentVariableA(name, value.c_str()); }
bool changeDirectory(const std::string &path) { return SetCurrentDirectoryA(path.c_str()); }
long openHandles()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return long(count);
}
#else
bool makeDirectory(const std::u16string &path) { return mkdir(fromUtf16(path).c_str(), 0700) == 0; }
void setVariable(const char *name, const std::string &value) { setenv(name, value.c_str(), 1); }
bool changeDirectory(const std::string &path) { return chdir(path.c_str()) == 0; }
long openHandles()
{
    long count = 0;
    DIR *directory = opendir("/proc/self/fd");
    while (readdir(directory))
        ++count;
    closedir(directory);
    return count;
}
#endif

// Weighted towards what the quoting rule is about: blanks, quotes and runs
// of backslashes; and non-ASCII text with a surrogate pair.
std::u16string randomText(std::mt19937 &random)
{
    static const std::u16string pieces[] = {u"a", u"Z", u" ", u"\t", u"\"", u"\\", u"\\\\", u"\\\"",
                                            u"\"\"", u"'", u"=", u"%", u"^", u"&", u"*", u"\n",
                                            u"é", u"€", u"中", u"\U0001F600"};
    std::u16string text;
    for (int i = std::uniform_int_distribution<int>(0, 10)(random); i > 0; --i)
        text += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(random)];
    return text;
}

std::vector<std::u16string> randomArguments(std::mt19937 &random, int maximumCount)
{
    std::vector<std::u16string> arguments(std::uniform_int_distribution<int>(0, maximumCount)(random));
    for (std::u16string &argument : arguments)
        argument = randomText(random);
    return arguments;
}

struct Child
{
    DetachedStart start;
    std::string reportPath;
    std::vector<std::u16string> argv; // as the child must see it
    Text directory;                   // where it must start
};

bool contains(const std::vector<Text> &list, const Text &text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

void checkReport(const Child &child, const Report &report)
{
    std::vector<Text> argv, entries;
    for (const std::u16string &argument : child.argv)
        argv.push_back(fromUtf16(argument));
    CHECK(report[Arguments] == argv);
    CHECK(report[Directory] == std::vector<Text>{child.directory});
    const std::vector<Text> &environment = report[Environment];
    CHECK(contains(environment, fromUtf16(u"BASICS_PARENT_ONLY=parent")) == child.start.inheritEnvironment);
    for (const Platform::EnvironmentEntry &entry : child.start.environment) {
        if (!entry.name.empty() || !entry.value.empty())
            entries.push_back(fromUtf16(entry.name + u"=" + entry.value));
    }
#if defined(_WIN32)
    CHECK(report[ShellArguments] == argv);
    // Wine adds variables of its own (WINE*, SystemRoot, ...): every entry
    // of the block must be there.
    for (const Text &entry : entries)
        CHECK(contains(environment, entry));
#else
    if (!child.start.inheritEnvironment)
        CHECK(environment == entries);
    // Nothing of the caller's is open, the standard streams are /dev/null.
    std::vector<Text> descriptors = report[Descriptors];
    std::sort(descriptors.begin(), descriptors.end());
    CHECK(descriptors == std::vector<Text>({"0 -> /dev/null", "1 -> /dev/null", "2 -> /dev/null"}));
#endif
}

// Starts the children 25 at a time and checks their reports.
int runChildren(const std::vector<Child> &children)
{
    int reported = 0;
    for (std::size_t first = 0; first < children.size(); first += 25) {
        const std::size_t last = std::min(children.size(), first + 25);
        for (std::size_t i = first; i < last; ++i) {
            // A child copies the environment when it is made: each one that
            // inherits it finds its own report path there.
            setVariable(ReportVariable, children[i].reportPath);
            CHECK(Platform::ProcessLauncher::instance().startDetached(children[i].start));
        }
        for (std::size_t i = first; i < last; ++i) {
            std::string data;
            Report report;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!readFile(children[i].reportPath, &data) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (parse(data, &report))
                checkReport(children[i], report), ++reported;
        }
    }
    return reported;
}

} // namespace

PLATFORM_TEST(workedExamplesOfTheQuotingRules)
{
    const std::pair<std::u16string, std::u16string> arguments[] = {
        {u"abc", u" abc"}, {u"", u" \"\""}, {u"a b", u" \"a b\""}, {u"a\"b", u" a\\\"b"},
        {u"x\\\"y", u" x\\\\\\\"y"}, {u"say \"hi\"", u" \"say \\\"hi\\\"\""},
        {u"C:\\my dir\\", u" \"C:\\my dir\"\\"}, {u"C:\\dir\\", u" C:\\dir\\"},
        {u"tab\there", u" \"tab\there\""}, {u"a\\\\b", u" a\\\\b"}};
    for (const auto &[argument, appended] : arguments) {
        std::u16string line;
        Platform::appendWindowsArgument(line, argument);
        CHECK(line == appended);
    }
    const std::pair<std::u16string, std::u16string> programs[] = {
        {u"C:/Program Files/t.exe", u"\"C:\\Program Files\\t.exe\" "}, {u"\"C:/a b/t.exe", u"\"C:\\a b\\t.exe "},
        {u"tab\tonly", u"tab\tonly "}};
    for (const auto &[program, line] : programs)
        CHECK(Platform::windowsCommandLine(program, {}) == line);
    CHECK(Platform::windowsCommandLine(u"p", {u"a", u"b c"}) == u"p  a \"b c\"");
    CHECK(Platform::windowsCommandLine(u"", {u"x"}) == u" x");
    CHECK(Platform::windowsEnvironmentBlock({{u"A", u"1"}}) == std::u16string(u"A=1\0\0\0", 6));
    CHECK(Platform::windowsEnvironmentBlock({{u"", u""}, {u"B", u""}, {u"", u"v"}})
          == std::u16string(u"B=\0=v\0\0\0", 8));
}

#if defined(_WIN32)
PLATFORM_TEST(randomListsReadBackThroughCommandLineToArgvW)
{
    const std::u16string programs[] = {u"C:/Program Files/Tool/tool.exe", u"tool", u"C:\\ä ö\\t.exe"};
    std::mt19937 random(20240614);
    int lists = 0, differing = 0;
    for (; lists < 100000; ++lists) {
        std::u16string program = programs[lists % 3];
        std::vector<std::u16string> argv = randomArguments(random, 8);
        const std::u16string line = Platform::windowsCommandLine(
            program, std::vector<std::u16string_view>(argv.begin(), argv.end()));
        int count = 0;
        LPWSTR *split = CommandLineToArgvW(reinterpret_cast<const wchar_t *>(line.c_str()), &count);
        std::replace(program.begin(), program.end(), u'/', u'\\');
        argv.insert(argv.begin(), program);
        bool same = count == int(argv.size());
        for (int i = 0; same && i < count; ++i)
            same = argv[std::size_t(i)] == reinterpret_cast<const char16_t *>(split[i]);
        LocalFree(split);
        differing += !same;
    }
    std::printf("  %d random argument lists, %d read back differently\n", lists, differing);
    CHECK(differing == 0);
}
#endif

PLATFORM_TEST(childrenSeeTheirArgumentsEnvironmentAndDirectory)
{
    const std::string reports = newDirectory();
    const std::u16string peer = u16(peerPath()), directory = u16(reports + Separator) + u"work dir é 'x' ^&";
    CHECK(makeDirectory(directory) && changeDirectory(reports)); // the children's directory unless told
    // A program path with blanks, quotes (not on Windows) and non-ASCII text.
#if defined(_WIN32)
    const std::u16string copy = u16(reports) + u"\\rep ort ä €.exe";
    CHECK(CopyFileW(reinterpret_cast<const wchar_t *>(peer.c_str()), reinterpret_cast<const wchar_t *>(copy.c_str()),
                    FALSE));
#else
    const std::u16string copy = u16(reports) + u"/rep ort \"ä\" '$x' \\\t€";
    CHECK(symlink(peerPath().c_str(), fromUtf16(copy).c_str()) == 0);
#endif
    setVariable("BASICS_PARENT_ONLY", "parent");

    std::mt19937 random(7);
    std::vector<Child> children(300);
    for (std::size_t i = 0; i < children.size(); ++i) {
        Child &child = children[i];
        child.reportPath = reports + Separator + std::to_string(i);
        child.start.program = i % 5 ? peer : copy;
        child.argv = {child.start.program};
#if defined(_WIN32)
        if (i % 2) // the child sees backslashes
            std::replace(child.start.program.begin(), child.start.program.end(), u'\\', u'/');
#endif
        child.start.arguments = randomArguments(random, 6);
        child.argv.insert(child.argv.end(), child.start.arguments.begin(), child.start.arguments.end());
        child.start.inheritEnvironment = i % 3 == 0;
        if (!child.start.inheritEnvironment) {
            child.start.environment = {{u16(ReportVariable), u16(child.reportPath)},
                                       {u"V", randomText(random)}, {u"", u""}, {u"EMPTY", u""}};
        }
        child.start.workingDirectory = i % 2 ? u"" : directory;
        child.directory = fromUtf16(i % 2 ? u16(reports) : directory);
    }
#if !defined(_WIN32)
    const int inheritable = open("/dev/null", O_RDONLY); // no close-on-exec: must not reach children
#endif
    const int reported = runChildren(children);
    std::printf("  %d children reported\n", reported);
    CHECK(reported == int(children.size()));
#if !defined(_WIN32)
    close(inheritable);
    // Without a program the first argument names it.
    Child child;
    child.reportPath = reports + "/first-argument";
    child.argv = child.start.arguments = {peer, u"x y"};
    child.directory = reports;
    CHECK(runChildren({child}) == 1);
#endif
}

PLATFORM_TEST(failedStartsReportFalseAndLeaveNothingOpen)
{
    const std::u16string directory = u16(newDirectory()), peer = u16(peerPath());
    std::vector<DetachedStart> failing(5);
    failing[0].program = directory + char16_t(Separator) + u"missing.exe";
    failing[1].program = peer;
    failing[1].workingDirectory = failing[0].program; // no such directory
    failing[3].program = directory; // a directory is no program
    failing[4].program = peer;
    failing[4].inheritEnvironment = false;
    failing[4].workingDirectory = peer; // a file is no directory
#if !defined(_WIN32)
    const std::u16string plain = directory + u"/not executable";
    std::fclose(std::fopen(fromUtf16(plain).c_str(), "w"));
    failing.push_back({});
    failing.back().program = plain;
#endif
    const long before = openHandles();
    for (int round = 0; round < 20; ++round) {
        for (const DetachedStart &start : failing)
            CHECK(!Platform::ProcessLauncher::instance().startDetached(start));
    }
    CHECK(openHandles() == before);
#if !defined(_WIN32)
    // Every process the launcher forked, here and before, has been reaped.
    CHECK(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD);
#endif
}

PLATFORM_TEST_MAIN()
