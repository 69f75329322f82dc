#include "WProcess/wprocess.h"

#include "Platform/processlauncher.h"

namespace {

std::u16string_view viewOf(const QString &text)
{
    return std::u16string_view(reinterpret_cast<const char16_t *>(text.constData()),
                               std::size_t(text.size()));
}

std::u16string toUtf16(const QString &text)
{
    return std::u16string(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
}

std::vector<std::u16string> toUtf16(const QStringList &texts)
{
    std::vector<std::u16string> converted;
    converted.reserve(std::size_t(texts.size()));
    for (const QString &text : texts)
        converted.push_back(toUtf16(text));
    return converted;
}

std::vector<Platform::EnvironmentEntry> entriesOf(const QProcessEnvironment &environment)
{
    std::vector<Platform::EnvironmentEntry> entries;
    const QStringList names = environment.keys();
    entries.reserve(std::size_t(names.size()));
    for (const QString &name : names)
        entries.push_back({toUtf16(name), toUtf16(environment.value(name))});
    return entries;
}

bool holdsNul(const QString &text)
{
    return text.contains(QChar(0));
}

// A NUL would end the text early in the command line, argv or the block:
// the program would run with other arguments than the caller gave.
bool holdsNul(const QString &program, const QStringList &arguments, const QString &directory,
              const QProcessEnvironment &environment)
{
    if (holdsNul(program) || holdsNul(directory))
        return true;
    for (const QString &argument : arguments) {
        if (holdsNul(argument))
            return true;
    }
    const QStringList names = environment.keys();
    for (const QString &name : names) {
        if (holdsNul(name) || holdsNul(environment.value(name)))
            return true;
    }
    return false;
}

} // namespace

WProcess::WProcess() = default;

bool WProcess::startDetached(const QString &program, const QStringList &arguments,
                             const QString &workingDirectory)
{
    if (holdsNul(program, arguments, workingDirectory, environment))
        return false;
    Platform::DetachedStart start;
    start.program = toUtf16(program);
    start.arguments = toUtf16(arguments);
    start.inheritEnvironment = environment.isEmpty();
    if (!start.inheritEnvironment)
        start.environment = entriesOf(environment);
    start.workingDirectory = toUtf16(workingDirectory);
    return Platform::ProcessLauncher::instance().startDetached(start);
}

QString WProcess::commandLine(const QString &program, const QStringList &arguments)
{
    // Views on the strings' own data: nothing is copied on the way in.
    std::vector<std::u16string_view> views;
    views.reserve(std::size_t(arguments.size()));
    for (const QString &argument : arguments)
        views.push_back(viewOf(argument));
    const std::u16string line = Platform::windowsCommandLine(viewOf(program), views);
    return QString(reinterpret_cast<const QChar *>(line.data()), int(line.size()));
}

QByteArray WProcess::environmentBlock(const QProcessEnvironment &environment)
{
    const std::u16string block = Platform::windowsEnvironmentBlock(entriesOf(environment));
    return QByteArray(reinterpret_cast<const char *>(block.data()), int(block.size() * 2));
}
