// Launcher progress on Linux desktops: the com.canonical.Unity.LauncherEntry
// "Update" signal that docks and task managers (Plasma, Dash to Dock, Unity,
// Plank, ...) read, sent through Qt D-Bus on a connection of the session's
// own to the session bus.
//
// This is the one Linux backend that uses the toolkit: the interface stays
// free of Qt, and the progress objects that open sessions live in a Qt
// application anyway. Without a QCoreApplication there is no session.

#include "Platform/taskbar.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace Platform {

namespace {

const char LauncherEntryInterface[] = "com.canonical.Unity.LauncherEntry";
const char UpdateSignal[] = "Update";

// The session bus as the environment names it; with no address the
// systemd user bus socket, if there is one. Never the X11 autolaunch of a
// new bus: no bus means no launcher to show the progress.
QString sessionBusAddress()
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return QString();
    const std::string socket = std::string(runtime) + "/bus";
    struct stat status;
    if (::stat(socket.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode))
        return QString();
    // D-Bus addresses escape every byte outside [-0-9A-Za-z_/.\*] as %xx.
    QString escaped;
    for (unsigned char c : socket) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')
            || (c != 0 && std::strchr("-_/.\\*", c));
        if (plain)
            escaped += QLatin1Char(char(c));
        else
            escaped += QLatin1Char('%') + QString::number(c, 16).rightJustified(2, QLatin1Char('0'));
    }
    return QStringLiteral("unix:path=") + escaped;
}

// A valid object path per application: the signal's path is not part of
// the protocol, but some listeners tell entries apart by it.
QString objectPathFor(const QString &uri)
{
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a over the UTF-8 bytes
    for (unsigned char c : uri.toUtf8())
        hash = (hash ^ c) * 1099511628211ull;
    return QStringLiteral("/com/canonical/unity/launcherentry/") + QString::number(hash);
}

// Each session has a connection of its own, so closing one never takes a
// connection from under another (or from the application's own).
QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("basicsdll-launcher-progress-%1").arg(++counter);
}

class DBusTaskbarSession final : public TaskbarSession
{
public:
    DBusTaskbarSession(const QString &connectionName, const QString &uri)
        : m_connectionName(connectionName),
          m_uri(uri),
          m_path(objectPathFor(uri))
    {
    }

    ~DBusTaskbarSession() override { QDBusConnection::disconnectFromBus(m_connectionName); }

    DBusTaskbarSession(const DBusTaskbarSession &) = delete;
    DBusTaskbarSession &operator=(const DBusTaskbarSession &) = delete;

    bool isAvailable() const override { return true; }

    bool setProgressValue(NativeWindow, std::uint64_t completed, std::uint64_t total) override
    {
        return send(QStringLiteral("progress"),
                    total == 0 ? 0.0 : double(completed) / double(total));
    }

    bool setProgressState(NativeWindow, bool visible) override
    {
        return send(QStringLiteral("progress-visible"), visible);
    }

    void *nativeInterface() const override { return nullptr; }

private:
    // One Update signal: the application URI and a one-entry a{sv}.
    bool send(const QString &key, const QVariant &value)
    {
        QDBusMessage message = QDBusMessage::createSignal(
            m_path, QLatin1String(LauncherEntryInterface), QLatin1String(UpdateSignal));
        message << m_uri << QVariantMap{{key, value}};
        const QDBusConnection connection(m_connectionName);
        return connection.isConnected() && connection.send(message);
    }

    QString m_connectionName;
    QString m_uri;
    QString m_path;
};

class DBusTaskbar final : public Taskbar
{
public:
    std::unique_ptr<TaskbarSession> open(const std::string &applicationId) override
    {
        const QString address = sessionBusAddress();
        const QString id = QString::fromStdString(applicationId);
        // D-Bus strings are UTF-8 without NUL; anything else could not be sent.
        if (address.isEmpty() || !QCoreApplication::instance() || applicationId.find('\0') != std::string::npos
            || id.toStdString() != applicationId)
            return nullTaskbar().open(applicationId);
        const QString name = nextConnectionName();
        if (!QDBusConnection::connectToBus(address, name).isConnected()) {
            QDBusConnection::disconnectFromBus(name);
            return nullTaskbar().open(applicationId);
        }
        return std::make_unique<DBusTaskbarSession>(
            name, QStringLiteral("application://") + id + QStringLiteral(".desktop"));
    }
};

} // namespace

Taskbar &Taskbar::system()
{
    static DBusTaskbar taskbar;
    return taskbar;
}

} // namespace Platform
