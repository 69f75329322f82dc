#pragma once

// VersionComparator: dotted version strings parsed and compared field by
// field, and the file version read from the version resource of a Windows
// executable or DLL.
//
//     VersionComparator::compare("1.10", "1.9");          // Greater
//     VersionComparator::compare("1.2.3", "1.2.3.0");     // Equal
//     VersionComparator::getFileVersion(QString("tool.exe")); // "2.5.31.7"
//
// A version is a text of signed 64-bit decimal fields separated by '.':
// each field may start with white space and a sign ("1. 2", "+3", "1.-1"),
// nothing may follow its digits ("1.2a", "1 .2" are invalid), empty fields
// are invalid ("1..2", ".1", ""), a single final '.' is allowed ("1.2.") and
// a field beyond 64 bits makes the text invalid. Missing fields compare as 0.
//
// File versions come from the fixed file information record of the file's
// version resource (the file version, not the product version) as
// "a.b.c.d". Windows asks the system's version library; every other
// platform reads the PE file itself, so a Linux tool reads the versions of
// Windows programs too. Any failure (no such file, no version resource, a
// damaged file) gives InvalidVersion, "0.0.0.0", which cannot be told from
// a real version 0.0.0.0. The running program's own version is read from its
// executable; on Linux that has no version resource, so it is
// InvalidVersion there. Nothing here throws or prints.

#include <basicsdll_export.h>

#include <QString>

#include <string>
#include <vector>

/// Parses and compares version texts and reads file versions (see the top
/// of this header).
class BASICSDLL_EXPORT VersionComparator
{
public:
    VersionComparator() = delete;

    /// The outcome of compare().
    enum CompareResult {
        Less = 0,    ///< the first version is lower
        Equal = 1,   ///< both versions are equal
        Greater = 2, ///< the first version is higher
        Invalid = 3  ///< at least one text is not a valid version
    };

    /// "0.0.0.0": what every getFileVersion() gives when no version can be
    /// read.
    static QString InvalidVersion;

    /// Splits \a text into its fields; true when the whole text is a valid
    /// version. Fields parsed before a failure stay in \a fields.
    static bool parseVersion(const std::string &text, std::vector<long long> &fields);

    /// Compares two versions field by field; Invalid when \a first is not a
    /// version (\a second is then not looked at) or \a second is not one.
    static CompareResult compare(const std::string &first, const std::string &second);
    /// The same for texts, taken as Latin-1 (other characters become '?').
    static CompareResult compare(const QString &first, const QString &second);
    /// The same for C strings (no QString/%std::string ambiguity).
    static CompareResult compare(const char *first, const char *second)
    {
        return compare(std::string(first ? first : ""), std::string(second ? second : ""));
    }

    /// The file version of the file \a path (UTF-16 on Windows, UTF-32
    /// elsewhere), or InvalidVersion.
    static QString getFileVersion(const std::wstring &path);
    /// The same for a UTF-8 path (invalid UTF-8 sequences become U+FFFD; a
    /// NUL ends the path).
    static QString getFileVersion(const std::string &path);
    /// The same for a QString path.
    static QString getFileVersion(const QString &path);
    /// The same for a UTF-8 C string (no QString/%std::string ambiguity).
    static QString getFileVersion(const char *path)
    {
        return getFileVersion(std::string(path ? path : ""));
    }
    /// The file version of the running program's executable (not of this
    /// library), or InvalidVersion.
    static QString getFileVersion();
};
