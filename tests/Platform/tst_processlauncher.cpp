// Detached process start and the Windows command line, against real peers:
// Windows' own CommandLineToArgvW (under Wine) for 100 000 random argument
// lists, and a few hundred real children that report what they were given.

#include "launchreport.h"
#include "platformcheck.h"

#include "Platform/commandline.h"
#include "Platform/processlauncher.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>
#else
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using Platform::DetachedStart;
using Platform::ProcessLauncher;
using launchreport::fromUtf16;

namespace {

std::u16string u16(const std::string &ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// ---- the system around the test -------------------------------------------

#if defined(_WIN32)
const char Separator = '\\';

std::string programDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of('\\'));
}

std::string makeTemporaryDirectory()
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    // Wine reuses process ids: the time makes the name unique across runs.
    static int counter = 0;
    std::string path;
    do {
        path = std::string(base) + "basics-launch-" + std::to_string(GetCurrentProcessId()) + "-"
            + std::to_string(GetTickCount64()) + "-" + std::to_string(counter++);
    } while (!CreateDirectoryA(path.c_str(), nullptr));
    return path;
}

bool makeDirectory(const std::u16string &path)
{
    return CreateDirectoryW(reinterpret_cast<const wchar_t *>(path.c_str()), nullptr) != FALSE;
}

void setVariable(const char *name, const std::string &value)
{
    SetEnvironmentVariableA(name, value.c_str());
}

long openHandles()
{
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return long(count);
}

std::u16string currentDirectory()
{
    wchar_t directory[32768];
    const DWORD size = GetCurrentDirectoryW(32768, directory);
    return std::u16string(reinterpret_cast<const char16_t *>(directory), size);
}
#else
const char Separator = '/';

std::string programDirectory()
{
    char path[4096] = {};
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string directory(path, size > 0 ? std::size_t(size) : 0);
    return directory.substr(0, directory.find_last_of('/'));
}

std::string makeTemporaryDirectory()
{
    std::string pattern = "/tmp/basics-launch-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}

bool makeDirectory(const std::u16string &path)
{
    return mkdir(fromUtf16(path).c_str(), 0700) == 0;
}

void setVariable(const char *name, const std::string &value)
{
    setenv(name, value.c_str(), 1);
}

long openHandles()
{
    long count = 0;
    if (DIR *directory = opendir("/proc/self/fd")) {
        while (readdir(directory))
            ++count;
        closedir(directory);
    }
    return count;
}

std::u16string currentDirectory()
{
    char *directory = getcwd(nullptr, 0);
    const std::string bytes(directory ? directory : "");
    std::free(directory);
    return u16(bytes); // the test runs in an ASCII directory
}
#endif

std::string reporterPath()
{
#if defined(_WIN32)
    return programDirectory() + "\\platform_launchreporter.exe";
#else
    return programDirectory() + "/platform_launchreporter";
#endif
}

bool waitForFile(const std::string &path, std::string *data, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (launchreport::readFile(path, data))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// ---- random texts -----------------------------------------------------------

// Weighted towards what the quoting rule is about: blanks, quotes and runs
// of backslashes; plus non-ASCII text (a surrogate pair included).
std::u16string randomText(std::mt19937 &random, int maximumLength)
{
    static const std::u16string pieces[] = {
        u"a",  u"b",  u"Z",  u"0",   u" ",   u" ",  u"\t", u"\"", u"\"",  u"\\", u"\\",
        u"\\", u"\\\\", u"'", u"=",  u"%",   u"^",  u"&",  u"|",  u"<",   u"*",  u"?",
        u"\n", u"é",  u"ß",  u"€",   u"中",  u"\U0001F600", u"\\\"", u"\"\""};
    std::uniform_int_distribution<int> length(0, maximumLength);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    std::u16string text;
    for (int i = length(random); i > 0; --i)
        text += pieces[piece(random)];
    return text;
}

std::vector<std::u16string> randomArguments(std::mt19937 &random, int maximumCount)
{
    std::vector<std::u16string> arguments(std::uniform_int_distribution<int>(0, maximumCount)(random));
    for (std::u16string &argument : arguments)
        argument = randomText(random, 10);
    return arguments;
}

std::u16string withBackslashes(std::u16string text)
{
    std::replace(text.begin(), text.end(), u'/', u'\\');
    return text;
}

std::vector<launchreport::Text> nativeTexts(const std::vector<std::u16string> &texts)
{
    std::vector<launchreport::Text> converted;
    for (const std::u16string &text : texts)
        converted.push_back(fromUtf16(text));
    return converted;
}

bool contains(const std::vector<launchreport::Text> &list, const launchreport::Text &text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

// ---- one started child --------------------------------------------------------

struct Child
{
    DetachedStart start;
    std::string reportPath;
    std::vector<std::u16string> expectedArguments; // argv as the child should see it
};

// Checks what a child reported against what it was started with.
void checkReport(const Child &child, const launchreport::Report &report)
{
    const std::vector<launchreport::Text> expected = nativeTexts(child.expectedArguments);
    CHECK(report.runtimeArguments == expected);
#if defined(_WIN32)
    CHECK(report.shellArguments == expected);
#endif
    const std::u16string directory =
        child.start.workingDirectory.empty() ? currentDirectory() : child.start.workingDirectory;
    CHECK(report.directory == fromUtf16(directory));
    if (!child.start.inheritEnvironment) {
        std::vector<launchreport::Text> entries;
        for (const Platform::EnvironmentEntry &entry : child.start.environment) {
            if (!entry.name.empty() || !entry.value.empty())
                entries.push_back(fromUtf16(entry.name + u"=" + entry.value));
        }
#if defined(_WIN32)
        // Wine adds variables of its own (WINE*, SystemRoot, ...): every entry
        // of the block must be there, and nothing of the parent's.
        for (const launchreport::Text &entry : entries)
            CHECK(contains(report.environment, entry));
        CHECK(!contains(report.environment, fromUtf16(u"BASICS_PARENT_ONLY=parent")));
#else
        CHECK(report.environment == entries);
#endif
    } else {
        CHECK(contains(report.environment, fromUtf16(u"BASICS_PARENT_ONLY=parent")));
    }
#if !defined(_WIN32)
    // Nothing of the caller's but /dev/null as the standard streams.
    std::vector<launchreport::Text> descriptors = report.descriptors;
    std::sort(descriptors.begin(), descriptors.end());
    CHECK(descriptors
          == std::vector<launchreport::Text>({"0 -> /dev/null", "1 -> /dev/null", "2 -> /dev/null"}));
#endif
}

// Starts the children (several at a time), waits for their reports and checks them.
int runChildren(std::vector<Child> &children)
{
    int reported = 0;
    const std::size_t batch = 25;
    for (std::size_t first = 0; first < children.size(); first += batch) {
        const std::size_t last = std::min(children.size(), first + batch);
        std::vector<bool> started(last - first);
        for (std::size_t i = first; i < last; ++i) {
            // A child copies the environment when it is created: each one that
            // inherits it finds its own report path there.
            if (children[i].start.inheritEnvironment)
                setVariable(launchreport::ReportVariable, children[i].reportPath);
            started[i - first] = ProcessLauncher::instance().startDetached(children[i].start);
            CHECK(started[i - first]);
        }
        for (std::size_t i = first; i < last; ++i) {
            std::string data;
            launchreport::Report report;
            if (!started[i - first])
                continue;
            const bool arrived = waitForFile(children[i].reportPath, &data, 60);
            CHECK(arrived);
            CHECK(launchreport::parse(data, &report));
            if (!arrived)
                continue;
            const int before = platformcheck::failures();
            checkReport(children[i], report);
            if (platformcheck::failures() != before)
                std::printf("  child %u differs\n", unsigned(i));
            ++reported;
        }
    }
    return reported;
}

// Closes descriptors the test opened without close-on-exec on purpose.
struct InheritableDescriptor
{
#if defined(_WIN32)
    InheritableDescriptor() {}
#else
    int fd = open("/dev/null", O_RDONLY);
    ~InheritableDescriptor() { close(fd); }
#endif
};

} // namespace

PLATFORM_TEST(workedExamplesOfTheArgumentRule)
{
    struct Example
    {
        std::u16string argument;
        std::u16string appended;
    };
    const Example examples[] = {
        {u"abc", u" abc"},
        {u"", u" \"\""},
        {u"a b", u" \"a b\""},
        {u"a\"b", u" a\\\"b"},
        {u"x\\\"y", u" x\\\\\\\"y"},
        {u"say \"hi\"", u" \"say \\\"hi\\\"\""},
        {u"C:\\my dir\\", u" \"C:\\my dir\"\\"},
        {u"C:\\dir\\", u" C:\\dir\\"},
        {u"tab\there", u" \"tab\there\""},
        {u"a\\\\b", u" a\\\\b"},
        {u"end\\\\\"", u" end\\\\\\\\\\\""},
    };
    for (const Example &example : examples) {
        std::u16string line;
        Platform::appendWindowsArgument(line, example.argument);
        CHECK(line == example.appended);
    }
    CHECK(Platform::windowsCommandLine(u"p", {u"a", u"b c"}) == u"p  a \"b c\"");
    CHECK(Platform::windowsCommandLine(u"C:/Program Files/Tool/tool.exe", {})
          == u"\"C:\\Program Files\\Tool\\tool.exe\" ");
    CHECK(Platform::windowsCommandLine(u"\"C:/a b/t.exe", {}) == u"\"C:\\a b\\t.exe ");
    CHECK(Platform::windowsCommandLine(u"tab\tonly", {}) == u"tab\tonly ");
    CHECK(Platform::windowsCommandLine(u"", {u"x"}) == u" x");
}

PLATFORM_TEST(environmentBlockLayout)
{
    const std::u16string one = Platform::windowsEnvironmentBlock({{u"A", u"1"}});
    CHECK(one == std::u16string(u"A=1\0\0\0", 6)); // 12 bytes
    const std::u16string skipped =
        Platform::windowsEnvironmentBlock({{u"", u""}, {u"B", u""}, {u"", u"v"}, {u"Ä", u"x=y"}});
    CHECK(skipped == std::u16string(u"B=\0=v\0Ä=x=y\0\0\0", 14));
    CHECK(Platform::windowsEnvironmentBlock({}) == std::u16string(2, u'\0'));
}

#if defined(_WIN32)
PLATFORM_TEST(randomListsReadBackThroughCommandLineToArgvW)
{
    const std::u16string programs[] = {u"C:/Program Files/Tool/tool.exe", u"tool",
                                       u"C:\\Werkzeug\\\u00e4 \u00f6\\t.exe", u"D:/x y/z"};
    std::mt19937 random(20240614);
    int lists = 0, mismatches = 0;
    for (; lists < 100000; ++lists) {
        const std::u16string &program = programs[lists % 4];
        const std::vector<std::u16string> arguments = randomArguments(random, 8);
        const std::u16string line = Platform::windowsCommandLine(
            program, std::vector<std::u16string_view>(arguments.begin(), arguments.end()));
        int count = 0;
        LPWSTR *split = CommandLineToArgvW(reinterpret_cast<const wchar_t *>(line.c_str()), &count);
        std::vector<std::u16string> parsed;
        for (int i = 0; split && i < count; ++i)
            parsed.emplace_back(reinterpret_cast<const char16_t *>(split[i]));
        LocalFree(split);
        std::vector<std::u16string> expected{withBackslashes(program)};
        expected.insert(expected.end(), arguments.begin(), arguments.end());
        if (parsed != expected && ++mismatches <= 5)
            std::printf("  list %d reads back differently (%zu arguments)\n", lists, arguments.size());
    }
    std::printf("  %d random argument lists, %d read back differently\n", lists, mismatches);
    CHECK(mismatches == 0);
}
#endif

PLATFORM_TEST(childrenSeeTheirArgumentsEnvironmentAndDirectory)
{
    const std::string reportDirectory = makeTemporaryDirectory();
    const std::u16string workingDirectory =
        u16(reportDirectory) + char16_t(Separator) + u"work dir \u00e9 'x'";
    CHECK(makeDirectory(workingDirectory));
    setVariable("BASICS_PARENT_ONLY", "parent");

    std::mt19937 random(7);
    std::vector<Child> children(300);
    for (std::size_t i = 0; i < children.size(); ++i) {
        Child &child = children[i];
        child.reportPath = reportDirectory + Separator + "report" + std::to_string(i);
        std::u16string program = u16(reporterPath());
#if defined(_WIN32)
        if (i % 2)
            std::replace(program.begin(), program.end(), u'\\', u'/');
#endif
        child.start.program = program;
        child.start.arguments = randomArguments(random, 6);
        child.expectedArguments = {withBackslashes(program)};
#if !defined(_WIN32)
        child.expectedArguments = {program};
#endif
        child.expectedArguments.insert(child.expectedArguments.end(), child.start.arguments.begin(),
                                       child.start.arguments.end());
        if (i % 3) {
            child.start.inheritEnvironment = false;
            child.start.environment.push_back({u16(launchreport::ReportVariable), u16(child.reportPath)});
            for (int v = 0; v < 4; ++v)
                child.start.environment.push_back(
                    {u"BASICS_V" + u16(std::to_string(v)), randomText(random, 6)});
            child.start.environment.push_back({u"", u""});
            child.start.environment.push_back({u"BASICS_EMPTY", u""});
        }
        if (i % 2 == 0)
            child.start.workingDirectory = workingDirectory;
    }
    const InheritableDescriptor leaked;
    const int reported = runChildren(children);
    std::printf("  %d children reported\n", reported);
    CHECK(reported == int(children.size()));
}

PLATFORM_TEST(programsWithSpecialCharactersInTheirPath)
{
    const std::string directory = makeTemporaryDirectory();
#if defined(_WIN32)
    const std::u16string folder = u16(directory) + u"\\tool dir \u00e4 ^&";
    const std::u16string program = folder + u"\\rep ort \u20ac.exe";
    CHECK(makeDirectory(folder));
    CHECK(CopyFileW(reinterpret_cast<const wchar_t *>(u16(reporterPath()).c_str()),
                    reinterpret_cast<const wchar_t *>(program.c_str()), FALSE));
#else
    const std::u16string program = u16(directory) + u"/rep ort \"\u00e4\" '$x' \\\t\u20ac";
    const std::string command = "cp '" + reporterPath() + "' \"$BASICS_COPY_TARGET\"";
    setVariable("BASICS_COPY_TARGET", fromUtf16(program));
    CHECK(std::system(command.c_str()) == 0);
#endif
    Child child;
    child.reportPath = directory + Separator + "report";
    child.start.program = program;
    child.start.arguments = {u"\"quoted\"", u"trailing\\", u""};
    child.start.inheritEnvironment = false;
    child.start.environment = {{u16(launchreport::ReportVariable), u16(child.reportPath)}};
    child.expectedArguments = {program, u"\"quoted\"", u"trailing\\", u""};
    std::vector<Child> children{child};
    CHECK(runChildren(children) == 1);
}

PLATFORM_TEST(failedStartsReportFalseAndLeaveNothingOpen)
{
    const std::string directory = makeTemporaryDirectory();
    const std::u16string reporter = u16(reporterPath());
    std::vector<DetachedStart> failing(5);
#if defined(_WIN32)
    failing[0].program = u"C:\\nonexistent\\program.exe";
#else
    failing[0].program = u"/nonexistent/program";
#endif
    failing[1].program = reporter;
    failing[1].workingDirectory = u16(directory) + char16_t(Separator) + u"missing";
    failing[2].program = u"";
    failing[3].program = u16(directory); // a directory is no program
    failing[4].program = reporter;
    failing[4].inheritEnvironment = false;
    failing[4].workingDirectory = reporter; // a file is no directory
#if !defined(_WIN32)
    // Not executable.
    const std::string plain = directory + "/plain";
    std::FILE *file = std::fopen(plain.c_str(), "w");
    std::fclose(file);
    failing.push_back({});
    failing.back().program = u16(plain);
#endif
    const long before = openHandles();
    for (int round = 0; round < 20; ++round) {
        for (const DetachedStart &start : failing)
            CHECK(!ProcessLauncher::instance().startDetached(start));
    }
    CHECK(openHandles() == before);
#if !defined(_WIN32)
    // Every process the launcher forked has been reaped.
    CHECK(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD);

    // Without a program the first argument names it.
    Child child;
    child.reportPath = directory + "/report";
    child.start.arguments = {reporter, u"x y"};
    child.start.inheritEnvironment = false;
    child.start.environment = {{u16(launchreport::ReportVariable), u16(child.reportPath)}};
    child.expectedArguments = child.start.arguments;
    std::vector<Child> children{child};
    CHECK(runChildren(children) == 1);
    CHECK(openHandles() == before);
    CHECK(waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD);
#endif
}

PLATFORM_TEST_MAIN()
