// Tree removal by handles (NtCreateFile relative to the parent's handle,
// reparse points not followed, deletion through the handle).
//
// An entry is opened relative to the handle of the directory it was listed
// in, with FILE_OPEN_REPARSE_POINT, and only then classified from the open
// handle: a junction or symbolic link is deleted as a link, never descended
// into, whatever was swapped in under its name since the listing. Deletion
// marks the open handle itself, so no path is ever resolved again. The walk
// keeps its own stack, so the depth of a tree costs heap, not call stack.

#include "Platform/treeremover.h"

#include <windows.h>
#include <winternl.h>

#include <vector>

namespace Platform {

namespace {

constexpr ACCESS_MASK EntryAccess = DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring toWide(const std::string &utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], length);
    return wide;
}

std::string toUtf8(const std::wstring &wide)
{
    if (wide.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0], length, nullptr, nullptr);
    return utf8;
}

// Whether \a path has no last component: a drive ("C:", "C:/"), a share
// ("//server/share") or nothing at all.
bool isRoot(std::string path)
{
    for (char &c : path) {
        if (c == '\\')
            c = '/';
    }
    if (path.rfind("//?/", 0) == 0)
        path.erase(0, 4);
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    if (path.empty() || (path.size() == 2 && path[1] == ':'))
        return true;
    if (path.rfind("//", 0) == 0) {
        const std::size_t server = path.find('/', 2);
        return server == std::string::npos || path.find('/', server + 1) == std::string::npos;
    }
    return false;
}

HANDLE openRelative(HANDLE directory, const std::wstring &name, NTSTATUS *status)
{
    UNICODE_STRING objectName;
    objectName.Buffer = const_cast<PWSTR>(name.c_str());
    objectName.Length = USHORT(name.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, directory, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE handle = INVALID_HANDLE_VALUE;
    *status = NtCreateFile(&handle, EntryAccess, &attributes, &io, nullptr, 0, ShareAll, FILE_OPEN,
                           FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT
                               | FILE_OPEN_FOR_BACKUP_INTENT,
                           nullptr, 0);
    return *status >= 0 ? handle : INVALID_HANDLE_VALUE;
}

bool isMissing(NTSTATUS status)
{
    return status == NTSTATUS(0xC0000034L)     // STATUS_OBJECT_NAME_NOT_FOUND
           || status == NTSTATUS(0xC000003AL)  // STATUS_OBJECT_PATH_NOT_FOUND
           || status == NTSTATUS(0xC0000056L); // STATUS_DELETE_PENDING
}

DWORD attributesOf(HANDLE handle)
{
    FILE_BASIC_INFO info;
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &info, sizeof info))
        return INVALID_FILE_ATTRIBUTES;
    return info.FileAttributes;
}

bool markForDeletion(HANDLE handle)
{
    FILE_DISPOSITION_INFO info;
    info.DeleteFile = TRUE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info) != 0;
}

// The names of the open directory, without ".", ".." and hidden entries.
std::vector<std::wstring> listNames(HANDLE directory)
{
    std::vector<std::wstring> names;
    std::vector<unsigned char> buffer(64 * 1024);
    while (GetFileInformationByHandleEx(directory, FileIdBothDirectoryInfo, buffer.data(),
                                        DWORD(buffer.size()))) {
        std::size_t offset = 0;
        for (;;) {
            const auto *entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(buffer.data() + offset);
            const std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L".." && !(entry->FileAttributes & FILE_ATTRIBUTE_HIDDEN))
                names.push_back(name);
            if (entry->NextEntryOffset == 0)
                break;
            offset += entry->NextEntryOffset;
        }
    }
    return names;
}

class Walk
{
public:
    Walk(std::string topPath, const TreeRemover::FailureReport &report)
        : m_topPath(std::move(topPath)), m_report(report)
    {
    }

    int run(HANDLE top)
    {
        m_total += visit(top, std::wstring());
        while (!m_frames.empty()) {
            const std::size_t innermost = m_frames.size() - 1;
            Frame &frame = m_frames[innermost];
            if (frame.next < frame.entries.size()) {
                const std::wstring name = std::move(frame.entries[frame.next++]);
                NTSTATUS status = 0;
                const HANDLE entry = openRelative(frame.handle, name, &status);
                int failures = 0;
                if (entry != INVALID_HANDLE_VALUE)
                    failures = visit(entry, name); // may push a frame
                else if (!isMissing(status))
                    failures = fail(TreeRemover::Entry::File, name);
                m_frames[innermost].failures += failures;
            } else {
                finishInnermost();
            }
        }
        return m_total;
    }

private:
    struct Frame
    {
        HANDLE handle = INVALID_HANDLE_VALUE;
        std::wstring name;
        std::vector<std::wstring> entries;
        std::size_t next = 0;
        int failures = 0;
    };

    // Takes over \a handle: deletes a file or link at once, or starts on a
    // directory (pushes its frame). Returns the failures known now.
    int visit(HANDLE handle, const std::wstring &name)
    {
        const DWORD attributes = attributesOf(handle);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
            && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            Frame frame;
            frame.handle = handle;
            frame.name = name;
            frame.entries = listNames(handle);
            m_frames.push_back(std::move(frame));
            return 0;
        }
        // A file, or a junction or symbolic link opened as itself.
        const bool deleted = markForDeletion(handle);
        CloseHandle(handle);
        return deleted ? 0 : fail(TreeRemover::Entry::File, name);
    }

    void finishInnermost()
    {
        Frame done = std::move(m_frames.back());
        m_frames.pop_back();
        int failures = done.failures;
        if (!markForDeletion(done.handle))
            failures += fail(TreeRemover::Entry::Directory, done.name);
        CloseHandle(done.handle);
        if (m_frames.empty())
            m_total += failures;
        else
            m_frames.back().failures += failures;
    }

    // Reports \a name of the innermost directory (or the top entry) as left
    // in place; returns 1.
    int fail(TreeRemover::Entry kind, const std::wstring &name)
    {
        std::string path = m_topPath;
        if (!m_frames.empty()) {
            for (std::size_t i = 1; i < m_frames.size(); ++i)
                path += '/' + toUtf8(m_frames[i].name);
            path += '/' + toUtf8(name);
        }
        if (m_report)
            m_report(kind, path);
        return 1;
    }

    std::string m_topPath;
    const TreeRemover::FailureReport &m_report;
    std::vector<Frame> m_frames;
    int m_total = 0;
};

class Win32TreeRemover : public TreeRemover
{
public:
    int removeTree(const std::string &path, const FailureReport &report) override
    {
        if (isRoot(path)) {
            if (report)
                report(Entry::Directory, path);
            return 1;
        }
        const HANDLE top = CreateFileW(toWide(path).c_str(), EntryAccess, ShareAll, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (top == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                return 0;
            const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES)
                return 0;
            if (report)
                report(attributes & FILE_ATTRIBUTE_DIRECTORY ? Entry::Directory : Entry::File, path);
            return 1;
        }
        return Walk(path, report).run(top);
    }
};

} // namespace

TreeRemover &TreeRemover::system()
{
    static Win32TreeRemover remover;
    return remover;
}

} // namespace Platform
