// Launcher progress on Linux desktops: the com.canonical.Unity.LauncherEntry
// "Update" signal that docks and task managers (Plasma, Dash to Dock, Unity,
// Plank, ...) read, sent on a private connection to the session bus.
//
// libdbus rather than a toolkit binding: this layer is free of Qt, and
// libdbus sends synchronously on the caller's thread, so the library starts
// no thread of its own and every signal has left when a setter returns.

#include "Platform/taskbar.h"

#include <dbus/dbus.h>

#include <sys/stat.h>

#include <cstdlib>

namespace Platform {

namespace {

const char LauncherEntryInterface[] = "com.canonical.Unity.LauncherEntry";
const char UpdateSignal[] = "Update";

// The session bus as the environment names it; with no address the
// systemd user bus socket, if there is one. Never the X11 autolaunch of a
// new bus: no bus means no launcher to show the progress.
std::string sessionBusAddress()
{
    const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return address;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return std::string();
    const std::string socket = std::string(runtime) + "/bus";
    struct stat status;
    if (::stat(socket.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode))
        return std::string();
    char *escaped = dbus_address_escape_value(socket.c_str());
    if (!escaped)
        return std::string();
    const std::string result = std::string("unix:path=") + escaped;
    dbus_free(escaped);
    return result;
}

// A valid object path per application: the signal's path is not part of
// the protocol, but some listeners tell entries apart by it.
std::string objectPathFor(const std::string &uri)
{
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : uri)
        hash = (hash ^ c) * 1099511628211ull;
    return "/com/canonical/unity/launcherentry/" + std::to_string(hash);
}

class DBusTaskbarSession final : public TaskbarSession
{
public:
    DBusTaskbarSession(DBusConnection *connection, const std::string &applicationId)
        : m_connection(connection),
          m_uri("application://" + applicationId + ".desktop"),
          m_path(objectPathFor(m_uri))
    {
    }

    ~DBusTaskbarSession() override
    {
        dbus_connection_flush(m_connection);
        dbus_connection_close(m_connection);
        dbus_connection_unref(m_connection);
    }

    DBusTaskbarSession(const DBusTaskbarSession &) = delete;
    DBusTaskbarSession &operator=(const DBusTaskbarSession &) = delete;

    bool isAvailable() const override { return true; }

    bool setProgressValue(NativeWindow, std::uint64_t completed, std::uint64_t total) override
    {
        const double progress = total == 0 ? 0.0 : double(completed) / double(total);
        return send("progress", DBUS_TYPE_DOUBLE, &progress);
    }

    bool setProgressState(NativeWindow, bool visible) override
    {
        const dbus_bool_t flag = visible ? TRUE : FALSE;
        return send("progress-visible", DBUS_TYPE_BOOLEAN, &flag);
    }

    void *nativeInterface() const override { return nullptr; }

private:
    // One Update signal: the application URI and a one-entry a{sv}.
    bool send(const char *key, int type, const void *value)
    {
        DBusMessage *message =
            dbus_message_new_signal(m_path.c_str(), LauncherEntryInterface, UpdateSignal);
        if (!message)
            return false;
        const char *uri = m_uri.c_str();
        const char signature[2] = {char(type), '\0'};
        DBusMessageIter arguments, properties, entry, variant;
        dbus_message_iter_init_append(message, &arguments);
        bool built = dbus_message_iter_append_basic(&arguments, DBUS_TYPE_STRING, &uri)
            && dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{sv}", &properties);
        if (built) {
            built = dbus_message_iter_open_container(&properties, DBUS_TYPE_DICT_ENTRY, nullptr,
                                                     &entry)
                && dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key)
                && dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature,
                                                    &variant)
                && dbus_message_iter_append_basic(&variant, type, value)
                && dbus_message_iter_close_container(&entry, &variant)
                && dbus_message_iter_close_container(&properties, &entry)
                && dbus_message_iter_close_container(&arguments, &properties);
        }
        const bool sent = built && dbus_connection_send(m_connection, message, nullptr);
        dbus_message_unref(message);
        if (sent)
            dbus_connection_flush(m_connection);
        return sent && dbus_connection_get_is_connected(m_connection);
    }

    DBusConnection *m_connection;
    std::string m_uri;
    std::string m_path;
};

class DBusTaskbar final : public Taskbar
{
public:
    std::unique_ptr<TaskbarSession> open(const std::string &applicationId) override
    {
        // libdbus aborts the process on a string that is not UTF-8.
        const std::string address = sessionBusAddress();
        if (address.empty() || !dbus_validate_utf8(applicationId.c_str(), nullptr)
            || applicationId.find('\0') != std::string::npos)
            return nullTaskbar().open(applicationId);
        DBusError error;
        dbus_error_init(&error);
        DBusConnection *connection = dbus_connection_open_private(address.c_str(), &error);
        if (!connection) {
            dbus_error_free(&error);
            return nullTaskbar().open(applicationId);
        }
        dbus_connection_set_exit_on_disconnect(connection, FALSE);
        if (!dbus_bus_register(connection, &error)) {
            dbus_error_free(&error);
            dbus_connection_close(connection);
            dbus_connection_unref(connection);
            return nullTaskbar().open(applicationId);
        }
        return std::make_unique<DBusTaskbarSession>(connection, applicationId);
    }
};

} // namespace

Taskbar &Taskbar::system()
{
    static DBusTaskbar taskbar;
    return taskbar;
}

} // namespace Platform
