#pragma once

// The two texts a Windows process start is made of: the command line built
// from a program and its arguments, and the UTF-16 environment block. Both
// are plain text rules, so they are built and tested on every platform;
// only the Windows launcher hands them to the system.
//
//     std::u16string line = Platform::windowsCommandLine(u"C:/Tools/a b.exe",
//                                                        {u"x", u"say \"hi\""});
//     // line == u"\"C:\\Tools\\a b.exe\"  x \"say \\\"hi\\\"\""
//
// Every argument the builder writes reads back unchanged through both
// Windows parsers (CommandLineToArgvW and the C runtime's), whatever it
// holds: spaces, tabs, quotes, runs of backslashes, non-ASCII text.

#include <basicsdll_export.h>

#include <string>
#include <string_view>
#include <vector>

namespace Platform {

/// One variable of an explicit environment.
struct EnvironmentEntry
{
    std::u16string name;  ///< variable name
    std::u16string value; ///< its value
};

/// Appends one space and \a argument quoted for a Windows command line:
/// every run of backslashes followed by a double quote is written twice and
/// the quote escaped with one more backslash; an argument that is then empty
/// or holds a space or a tab is enclosed in double quotes, the closing quote
/// placed before any trailing backslashes.
BASICSDLL_EXPORT void appendWindowsArgument(std::u16string &commandLine, std::u16string_view argument);

/// The command line for \a program and \a arguments: the program (enclosed
/// in double quotes when it holds a space and neither starts nor ends with a
/// quote; forward slashes turned into backslashes) and one space, unless the
/// program is empty; then every argument as appendWindowsArgument() writes
/// it. A program followed by arguments is therefore separated from the
/// first one by two spaces.
BASICSDLL_EXPORT std::u16string windowsCommandLine(std::u16string_view program,
                                                   const std::vector<std::u16string_view> &arguments);

/// The environment block for CreateProcessW (CREATE_UNICODE_ENVIRONMENT):
/// every entry as name, "=", value and one zero unit, in the given order,
/// then two more zero units. Entries whose name and value are both empty
/// are left out; a block without entries holds the two zero units alone.
BASICSDLL_EXPORT std::u16string windowsEnvironmentBlock(const std::vector<EnvironmentEntry> &entries);

} // namespace Platform
