// Windows shared across processes: the test peer's windows read, changed,
// found, raised and enumerated while they come and go; on the desktop's X
// server, a bare Xvfb, and Wine.

#include "platformcheck.h"
#include "testpeer.h"
#include "testwindow.h"

#include "Platform/processlauncher.h"

#include <cctype>
#include <chrono>
#include <functional>
#include <thread>

#if !defined(_WIN32)
#include "../testsupport/privatexserver.h"
#endif

using Platform::WindowManager;

namespace {

constexpr std::uint32_t PeerTag = 0x5eed0001u, ChurnTag = 0x5eed0002u;

WindowManager::NativePath native(const std::string &ascii) { return {ascii.begin(), ascii.end()}; }

bool waitUntil(const std::function<bool()> &condition, int seconds = 20)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (; std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
#if defined(_WIN32)
        TestWindow::pump();
#endif
        if (condition())
            return true;
    }
    return false;
}

bool startPeer(std::initializer_list<std::string> arguments)
{
    Platform::DetachedStart start;
    const std::string program = testpeer::peerPath();
    start.program.assign(program.begin(), program.end());
    for (const std::string &argument : arguments)
        start.arguments.emplace_back(argument.begin(), argument.end());
    return Platform::ProcessLauncher::instance().startDetached(start);
}

bool listed(WindowManager &windows, std::uint32_t tag, WindowManager::Window window, std::string *title = nullptr)
{
    for (const WindowManager::TaggedWindow &found : windows.windowsWithTag(tag)) {
        if (found.window == window && title)
            *title = found.title;
        if (found.window == window)
            return true;
    }
    return false;
}

bool desktopReachable()
{
    WindowManager &windows = WindowManager::system();
    if (!windows.isAvailable()) {
        std::printf("  no desktop: the null backend answers\n");
        CHECK(windows.windowsWithTag(0).empty() && !windows.tagWindow(1, 1) && !windows.bringToFront(1));
    }
    return windows.isAvailable();
}

} // namespace

PLATFORM_TEST(twoProcessesShareTagsOrderNumbersTitlesAndActivation)
{
    if (!desktopReachable())
        return;
    WindowManager &windows = WindowManager::instance();
    const std::string idFile = testpeer::newDirectory() + testpeer::Separator + "peer-id";
    TestWindow own("test window");
    CHECK(startPeer({"tagged", idFile, std::to_string(PeerTag), "Peer window #1"}));
    std::string id;
    CHECK(waitUntil([&] { return testpeer::readFile(idFile, &id); }));
    const WindowManager::Window peer = std::strtoull(id.c_str(), nullptr, 10);

    std::string title;
    CHECK(waitUntil([&] { return listed(windows, PeerTag, peer, &title); }));
    CHECK(title == "Peer window #1" && windows.toolTag(peer) == PeerTag);
    CHECK(!listed(windows, PeerTag + 1, peer));
    CHECK(windows.orderNumber(peer) == 5); // stored by the peer
    CHECK(windows.setOrderNumber(peer, -7) && windows.orderNumber(peer) == -7);
    CHECK(windows.setOrderNumber(peer, 2147483647) && windows.orderNumber(peer) == 2147483647);
    CHECK(windows.orderNumber(own.id()) == 0 && windows.toolTag(own.id()) == 0); // never set

    // The peer's program, in the forms each system accepts.
    const std::string program = testpeer::peerPath();
    CHECK(windows.firstWindowOfExecutable(native(program)) == peer);
    CHECK(windows.firstWindowOfExecutable(WindowManager::NativePath()) == 0);
    std::string other = program;
#if defined(_WIN32)
    for (char &c : other)
        c = c == '\\' ? '/' : char(toupper(c));
    CHECK(windows.firstWindowOfExecutable(native(other)) == peer); // case and slashes do not matter
#else
    const std::string link = idFile + " linked peer";
    CHECK(symlink(program.c_str(), link.c_str()) == 0);
    CHECK(windows.firstWindowOfExecutable(link) == peer);
    other.back() = char(toupper(other.back()));
    CHECK(windows.firstWindowOfExecutable(other) == 0); // names are case-sensitive
#endif

    // First this process's window is made active (asked again until the
    // window manager, or Wine's, has let the peer's window go), then the
    // peer's must become active on one request.
    CHECK(waitUntil([&] { return windows.bringToFront(own.id()) && activeWindow() == own.id(); }));
    CHECK(windows.bringToFront(peer));
    CHECK(waitUntil([&] { return activeWindow() == peer; }));

    // Told through its order number, the peer leaves; its window is gone.
    CHECK(windows.setOrderNumber(peer, testpeer::StopNumber));
    CHECK(waitUntil([&] { return !listed(windows, PeerTag, peer); }));
    CHECK(!windows.setOrderNumber(peer, 1) && windows.orderNumber(peer) == 0 && !windows.tagWindow(peer, 1));
    CHECK(windows.firstWindowOfExecutable(native(program)) == 0);
}

PLATFORM_TEST(enumerationSkipsWindowsThatVanish)
{
    if (!desktopReachable())
        return;
    WindowManager &windows = WindowManager::instance();
    const std::string stopFile = testpeer::newDirectory() + testpeer::Separator + "stop";
    TestWindow own("steady");
    CHECK(windows.tagWindow(own.id(), ChurnTag));
    CHECK(waitUntil([&] { return listed(windows, ChurnTag, own.id()); })); // managed by now
    CHECK(startPeer({"churn", stopFile, std::to_string(ChurnTag)}));
    int rounds = 0, missed = 0, churning = 0;
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
         std::chrono::steady_clock::now() < end; ++rounds) {
        const std::vector<WindowManager::TaggedWindow> found = windows.windowsWithTag(ChurnTag);
        churning += int(found.size()) - 1;
        missed += !listed(windows, ChurnTag, own.id());
        for (const WindowManager::TaggedWindow &window : found)
            windows.orderNumber(window.window); // may be gone already
        windows.firstWindowOfExecutable(native(testpeer::peerPath()));
    }
    testpeer::writeFile(stopFile, "stop");
    std::printf("  %d enumerations, %d churning windows seen, steady one missed %d times\n", rounds,
                churning, missed);
    CHECK(missed == 0 && rounds > 10);
}

#if !defined(_WIN32)
PLATFORM_TEST(withoutWindowManagerTheRootChildrenCount)
{
    std::string display;
    {
        PrivateXServer server; // a bare X server of our own
        CHECK(server.start({"Xvfb"}, false));
        if ((display = server.display).empty())
            return;
        std::unique_ptr<WindowManager> bare;
        CHECK(waitUntil([&] { return (bare = WindowManager::connect(display.c_str()))->isAvailable(); }, 10));
        TestWindow first("first", display.c_str()), second("second", display.c_str());
        CHECK(bare->tagWindow(first.id(), PeerTag) && bare->tagWindow(second.id(), PeerTag));
        CHECK(listed(*bare, PeerTag, first.id()) && listed(*bare, PeerTag, second.id()));
        CHECK(bare->bringToFront(second.id()));
        CHECK(waitUntil([&] { return activeWindow(display.c_str()) == second.id(); }, 5));
    }
    CHECK(!WindowManager::connect(display.c_str())->isAvailable()); // gone: the null backend
}
#endif

PLATFORM_TEST_MAIN()
