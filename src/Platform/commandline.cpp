#include "Platform/commandline.h"

namespace Platform {

namespace {

constexpr std::u16string_view Blanks = u" \t";

std::size_t trailingBackslashes(std::u16string_view text)
{
    std::size_t count = 0;
    while (count < text.size() && text[text.size() - 1 - count] == u'\\')
        ++count;
    return count;
}

} // namespace

void appendWindowsArgument(std::u16string &commandLine, std::u16string_view argument)
{
    commandLine += u' ';
    // Escaping adds neither blanks nor emptiness: decide on the original.
    const bool quote = argument.empty() || argument.find_first_of(Blanks) != argument.npos;
    if (quote)
        commandLine += u'"';

    // Backslashes mean something only in front of a double quote: such a run
    // is written twice and the quote escaped; all others stay as they are.
    std::size_t from = 0;
    for (std::size_t at = argument.find(u'"'); at != argument.npos;
         at = argument.find(u'"', from)) {
        const std::size_t run = trailingBackslashes(argument.substr(from, at - from));
        commandLine.append(argument.substr(from, at - from));
        commandLine.append(run + 1, u'\\');
        commandLine += u'"';
        from = at + 1;
    }
    const std::u16string_view rest = argument.substr(from);
    if (!quote) {
        commandLine.append(rest);
        return;
    }
    // Trailing backslashes stay outside the closing quote, where they cannot
    // escape it.
    const std::size_t run = trailingBackslashes(rest);
    commandLine.append(rest.substr(0, rest.size() - run));
    commandLine += u'"';
    commandLine.append(run, u'\\');
}

std::u16string windowsCommandLine(std::u16string_view program,
                                  const std::vector<std::u16string_view> &arguments)
{
    std::u16string commandLine;
    std::size_t size = program.size() + 3;
    for (std::u16string_view argument : arguments)
        size += argument.size() + 3;
    commandLine.reserve(size + size / 8);

    if (!program.empty()) {
        const bool quoted = program.front() == u'"' || program.back() == u'"';
        const bool quote = !quoted && program.find(u' ') != program.npos;
        if (quote)
            commandLine += u'"';
        for (char16_t c : program)
            commandLine += c == u'/' ? u'\\' : c;
        if (quote)
            commandLine += u'"';
        commandLine += u' ';
    }
    for (std::u16string_view argument : arguments)
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
