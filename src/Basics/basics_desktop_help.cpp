// HTML help of Basics: the system's help viewer where there is one
// (Windows), otherwise a help window of the library's own that reads the
// pages straight from the compiled help file.

#include "Basics/basics_desktop.h"
#include "Basics/basics_widgets.h"

#include "Platform/compiledhelpfile.h"
#include "Platform/desktopservices.h"

#include <QFile>
#include <QMainWindow>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

#include <memory>

using Platform::CompiledHelpFile;
using Platform::DesktopServices;

namespace {

// The help file named by setHtmlHelpSource; empty until then.
QString s_helpSource;

std::uintptr_t ownerWindow()
{
    QMainWindow *window = BasicsWidgets::getMainWindow();
    return window ? std::uintptr_t(window->winId()) : 0;
}

#if !defined(Q_OS_WIN)

// A text browser whose pages, pictures and style sheets come from one
// compiled help file; links inside the file are followed there, links to
// the web open in the user's browser. One window is kept and reused; it is
// deleted when closed.
class HelpWindow final : public QTextBrowser
{
public:
    explicit HelpWindow(QWidget *parent)
        : QTextBrowser(parent)
    {
        setObjectName(QStringLiteral("BasicsHelpWindow"));
        setWindowFlags(Qt::Window);
        setAttribute(Qt::WA_DeleteOnClose);
        setOpenExternalLinks(true);
        resize(720, 560);
        connect(this, &QTextBrowser::sourceChanged, this,
                [this] { setWindowTitle(documentTitle()); });
    }

    // Shows \a page of \a help (taken over); false, and nothing changes,
    // when the file does not hold the page.
    bool open(std::unique_ptr<CompiledHelpFile> help, const std::string &page)
    {
        if (!help->contains(page))
            return false;
        m_help = std::move(help);
        clearHistory();
        QUrl url;
        url.setPath(QString::fromStdString(page));
        if (url == source())
            reload(); // the same page, perhaps of another file
        else
            setSource(url);
        show();
        raise();
        activateWindow();
        return true;
    }

    QVariant loadResource(int type, const QUrl &name) override
    {
        Q_UNUSED(type);
        // Pages are addressed by their path inside the file; links arrive
        // as written, relative to the page shown (while a link is followed,
        // the page it was on).
        if (!m_help || !name.scheme().isEmpty())
            return QVariant();
        QString current = source().path();
        if (!current.startsWith(QLatin1Char('/')))
            current.prepend(QLatin1Char('/'));
        const QString page = QUrl(QStringLiteral("help:") + current).resolved(name).path();
        std::string content;
        if (!m_help->read(CompiledHelpFile::absolutePage(page.toStdString()), &content))
            return QVariant();
        return QByteArray(content.data(), int(content.size()));
    }

private:
    std::unique_ptr<CompiledHelpFile> m_help;
};

QPointer<HelpWindow> s_helpWindow;

// Opens the help source and shows the page \a choosePage picks in it;
// nothing happens when the file cannot be read or lacks that page.
template <class ChoosePage>
void showInHelpWindow(ChoosePage choosePage)
{
    auto help = std::make_unique<CompiledHelpFile>(QFile::encodeName(s_helpSource).toStdString());
    if (!help->isOpen())
        return;
    const std::string page = choosePage(*help);
    if (page.empty())
        return;
    QMainWindow *owner = BasicsWidgets::getMainWindow();
    if (s_helpWindow && s_helpWindow->parentWidget() != owner)
        delete s_helpWindow.data();
    if (s_helpWindow) {
        s_helpWindow->open(std::move(help), page);
        return;
    }
    auto window = std::make_unique<HelpWindow>(owner);
    if (window->open(std::move(help), page))
        s_helpWindow = window.release();
}

#endif

} // namespace

void BasicsDesktop::setHtmlHelpSource(QString source)
{
    s_helpSource = source;
}

void BasicsDesktop::showHtmlHelpTopic(QString topic)
{
    if (s_helpSource.isEmpty())
        return;
    QString path = s_helpSource;
    if (!topic.isEmpty())
        path += QStringLiteral("::/") + topic + QStringLiteral(".htm");
    if (DesktopServices::instance().showHelp(ownerWindow(), path.toLatin1().toStdString(),
                                             Platform::HelpDisplayTopic, 0))
        return;
#if !defined(Q_OS_WIN)
    showInHelpWindow([&topic](const CompiledHelpFile &help) {
        return topic.isEmpty() ? help.defaultPage()
                               : CompiledHelpFile::absolutePage((topic + QStringLiteral(".htm")).toStdString());
    });
#endif
}

void BasicsDesktop::showHtmlHelpTopic(int contextId)
{
    if (s_helpSource.isEmpty())
        return;
    if (DesktopServices::instance().showHelp(ownerWindow(), s_helpSource.toLatin1().toStdString(),
                                             Platform::HelpContext,
                                             std::uintptr_t(std::intptr_t(contextId))))
        return;
#if !defined(Q_OS_WIN)
    showInHelpWindow([contextId](const CompiledHelpFile &help) {
        return help.pageForContext(std::uint32_t(contextId));
    });
#endif
}
