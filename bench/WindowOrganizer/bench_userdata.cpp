// The user-data enumeration (WindowOrganizer::findAllWindowsWithUserData)
// over 200 real top-level windows managed by the window manager, in
// windows per second, against the same reading done one request at a time
// (a round trip per window, as a plain Xlib loop would); real time, since
// the X server does most of the work. Needs an X server
// with an EWMH window manager: run it under scripts/with-desktop.sh.

#include <WindowOrganizer/windoworganizer.h>

#include "support/benchratio.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int WindowCount = 200;
const QString Tool = QStringLiteral("Benchmark tool");

xcb_connection_t *s_connection = nullptr;
xcb_window_t s_root = 0;

xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        s_connection, xcb_intern_atom(s_connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return result;
}

std::vector<xcb_window_t> clientList()
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        s_connection,
        xcb_get_property(s_connection, 0, s_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 4096),
        nullptr);
    std::vector<xcb_window_t> windows;
    if (reply) {
        const auto *data = static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
        windows.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return windows;
}

// Half of the windows belong to the tool, the others to another one.
bool createWindows()
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(s_connection)).data;
    s_root = screen->root;
    const unsigned int tags[] = {qHash(Tool), qHash(QStringLiteral("Other tool"))};
    const xcb_atom_t tagAtom = atom("_BASICSDLL_TOOL_TAG");
    for (int i = 0; i < WindowCount; ++i) {
        const xcb_window_t window = xcb_generate_id(s_connection);
        xcb_create_window(s_connection, XCB_COPY_FROM_PARENT, window, s_root, 10 * (i % 50),
                          10 * (i / 50), 120, 80, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, 0, nullptr);
        const std::string title = "window " + std::to_string(i);
        xcb_change_property(s_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, std::uint32_t(title.size()), title.data());
        xcb_change_property(s_connection, XCB_PROP_MODE_REPLACE, window, tagAtom,
                            XCB_ATOM_CARDINAL, 32, 1, &tags[i % 2]);
        xcb_map_window(s_connection, window);
    }
    xcb_flush(s_connection);
    for (int wait = 0; wait < 500; ++wait) {
        if (clientList().size() >= std::size_t(WindowCount))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void BM_FindAllWindowsWithUserData(benchmark::State &state)
{
    std::size_t windows = 0;
    for (auto _ : state) {
        windows = clientList().size();
        benchmark::DoNotOptimize(WindowOrganizer::findAllWindowsWithUserData(Tool));
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(windows));
}
BENCHMARK(BM_FindAllWindowsWithUserData)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OneRoundTripPerWindow(benchmark::State &state)
{
    const xcb_atom_t tagAtom = atom("_BASICSDLL_TOOL_TAG");
    const unsigned int tag = qHash(Tool);
    std::size_t windows = 0;
    for (auto _ : state) {
        const std::vector<xcb_window_t> list = clientList();
        windows = list.size();
        int found = 0;
        for (xcb_window_t window : list) {
            xcb_get_property_reply_t *reply = xcb_get_property_reply(
                s_connection, xcb_get_property(s_connection, 0, window, tagAtom, XCB_ATOM_CARDINAL, 0, 1),
                nullptr);
            if (reply && xcb_get_property_value_length(reply) == 4
                && *static_cast<unsigned int *>(xcb_get_property_value(reply)) == tag) {
                xcb_get_property_reply_t *name = xcb_get_property_reply(
                    s_connection,
                    xcb_get_property(s_connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 4096),
                    nullptr);
                found += name != nullptr;
                std::free(name);
            }
            std::free(reply);
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(windows));
}
BENCHMARK(BM_OneRoundTripPerWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    s_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(s_connection)) {
        std::printf("no X server: run under scripts/with-desktop.sh\n");
        return 1;
    }
    if (!createWindows()) {
        std::printf("the window manager did not list all %d windows\n", WindowCount);
        return 1;
    }
    const int found = WindowOrganizer::findAllWindowsWithUserData(Tool).size();
    std::printf("%d windows, %d of them tagged for the tool\n", int(clientList().size()), found);
    if (found != WindowCount / 2)
        return 1;
    const int result = benchsupport::runWithRatios(
        argc, argv,
        {{"enumeration vs one round trip per window", "BM_FindAllWindowsWithUserData/real_time",
          "BM_OneRoundTripPerWindow/real_time", 1.0}});
    xcb_disconnect(s_connection);
    return result;
}
