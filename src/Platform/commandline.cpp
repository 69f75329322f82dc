#include "Platform/commandline.h"

namespace Platform {

void appendWindowsArgument(std::u16string &commandLine, const std::u16string &argument)
{
    commandLine += u' ';
    const std::size_t start = commandLine.size();
    bool needsQuotes = argument.empty();

    // Backslashes mean something only in front of a double quote: such a run
    // is doubled and the quote escaped; all other backslashes stay as they are.
    std::size_t pendingBackslashes = 0;
    for (char16_t c : argument) {
        if (c == u'\\') {
            ++pendingBackslashes;
            continue;
        }
        if (c == u'"') {
            commandLine.append(2 * pendingBackslashes + 1, u'\\');
        } else {
            commandLine.append(pendingBackslashes, u'\\');
            if (c == u' ' || c == u'\t')
                needsQuotes = true;
        }
        pendingBackslashes = 0;
        commandLine += c;
    }
    if (!needsQuotes) {
        commandLine.append(pendingBackslashes, u'\\');
        return;
    }
    // Trailing backslashes stay outside the closing quote, where they cannot
    // escape it.
    commandLine += u'"';
    commandLine.append(pendingBackslashes, u'\\');
    commandLine.insert(commandLine.begin() + std::ptrdiff_t(start), u'"');
}

std::u16string windowsCommandLine(const std::u16string &program,
                                  const std::vector<std::u16string> &arguments)
{
    std::u16string commandLine;
    std::size_t size = program.size() + 3;
    for (const std::u16string &argument : arguments)
        size += argument.size() + 3;
    commandLine.reserve(size + size / 8);

    if (!program.empty()) {
        const bool quoted = program.front() == u'"' || program.back() == u'"';
        const bool quote = !quoted && program.find(u' ') != std::u16string::npos;
        if (quote)
            commandLine += u'"';
        for (char16_t c : program)
            commandLine += c == u'/' ? u'\\' : c;
        if (quote)
            commandLine += u'"';
        commandLine += u' ';
    }
    for (const std::u16string &argument : arguments)
        appendWindowsArgument(commandLine, argument);
    return commandLine;
}

std::u16string windowsEnvironmentBlock(const std::vector<EnvironmentEntry> &entries)
{
    std::u16string block;
    for (const EnvironmentEntry &entry : entries) {
        if (entry.name.empty() && entry.value.empty())
            continue;
        block += entry.name;
        block += u'=';
        block += entry.value;
        block += char16_t(0);
    }
    block.append(2, char16_t(0));
    return block;
}

} // namespace Platform
