#include "VersionComparator/versioncomparator.h"

#include "Platform/versionresources.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

QString VersionComparator::InvalidVersion = QStringLiteral("0.0.0.0");

namespace {

// std::stoll's rules without its exceptions: leading white space and a sign
// are skipped, at least one digit is needed, the value must fit 64 bits.
// \a used receives the number of characters converted.
bool toLongLong(const std::string &piece, long long *value, std::size_t *used)
{
    const char *begin = piece.c_str();
    char *end = nullptr;
    const int savedErrno = errno;
    errno = 0;
    const long long result = std::strtoll(begin, &end, 10);
    const bool overflow = errno == ERANGE;
    errno = savedErrno;
    if (end == begin || overflow)
        return false;
    *value = result;
    *used = std::size_t(end - begin);
    return true;
}

// Builds a wide string from the UTF-8 conversion of the platform service:
// first the needed length (terminator included), then the characters.
bool utf8ToWide(const std::string &utf8, std::wstring *wide)
{
    Platform::VersionResources &resources = Platform::VersionResources::instance();
    const int needed = resources.utf8ToWide(utf8.c_str(), nullptr, 0);
    if (needed <= 0)
        return false;
    wide->assign(std::size_t(needed), L'\0');
    const int converted = resources.utf8ToWide(utf8.c_str(), &(*wide)[0], needed);
    if (converted <= 0 || converted > needed)
        return false;
    wide->resize(std::size_t(converted - 1)); // without the terminating NUL
    return true;
}

} // namespace

bool VersionComparator::parseVersion(const std::string &text, std::vector<long long> &fields)
{
    fields.clear();
    std::istringstream stream(text);
    std::string piece;
    while (true) {
        // A final '.' reads as the end of the text.
        if (!std::getline(stream, piece, '.'))
            return !fields.empty();
        if (piece.empty())
            return false;
        long long value = 0;
        std::size_t used = 0;
        if (!toLongLong(piece, &value, &used) || used != piece.size())
            return false;
        fields.push_back(value);
    }
}

VersionComparator::CompareResult VersionComparator::compare(const std::string &first,
                                                            const std::string &second)
{
    std::vector<long long> a, b;
    if (!parseVersion(first, a) || !parseVersion(second, b))
        return Invalid;
    const std::size_t count = a.size() > b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < count; ++i) {
        const long long x = i < a.size() ? a[i] : 0;
        const long long y = i < b.size() ? b[i] : 0;
        if (x < y)
            return Less;
        if (x > y)
            return Greater;
    }
    return Equal;
}

VersionComparator::CompareResult VersionComparator::compare(const QString &first,
                                                            const QString &second)
{
    const QByteArray a = first.toLatin1();
    const QByteArray b = second.toLatin1();
    return compare(std::string(a.constData(), std::size_t(a.size())),
                   std::string(b.constData(), std::size_t(b.size())));
}

QString VersionComparator::getFileVersion(const std::wstring &path)
{
    Platform::FixedFileInfo info;
    if (!Platform::queryFixedFileInfo(path, &info))
        return InvalidVersion;
    return QStringLiteral("%1.%2.%3.%4")
        .arg(info.fileVersionMS >> 16)
        .arg(info.fileVersionMS & 0xFFFFu)
        .arg(info.fileVersionLS >> 16)
        .arg(info.fileVersionLS & 0xFFFFu);
}

QString VersionComparator::getFileVersion(const std::string &path)
{
    std::wstring wide;
    if (!utf8ToWide(path, &wide))
        return InvalidVersion;
    return getFileVersion(wide);
}

QString VersionComparator::getFileVersion(const QString &path)
{
    return getFileVersion(path.toStdWString());
}

QString VersionComparator::getFileVersion()
{
    // The path may be longer than the classic 260 characters: grow the
    // buffer until it fits, up to the longest path Windows knows.
    Platform::VersionResources &resources = Platform::VersionResources::instance();
    std::uint32_t capacity = 260;
    while (true) {
        std::vector<wchar_t> buffer(capacity, L'\0');
        const std::uint32_t length = resources.executablePath(buffer.data(), capacity);
        if (length == 0)
            return InvalidVersion;
        if (length < capacity)
            return getFileVersion(std::wstring(buffer.data(), length));
        if (capacity > 65535)
            return InvalidVersion;
        capacity *= 2;
    }
}
