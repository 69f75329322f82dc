#include "Platform/desktopservices.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <memory>

namespace Platform {

namespace {

struct GFreeDeleter
{
    void operator()(void *pointer) const { g_free(pointer); }
};
struct GObjectDeleter
{
    void operator()(void *object) const { g_object_unref(object); }
};
struct GStrvDeleter
{
    void operator()(gchar **strings) const { g_strfreev(strings); }
};
using GText = std::unique_ptr<gchar, GFreeDeleter>;
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter>;
using GStrv = std::unique_ptr<gchar *, GStrvDeleter>;

std::string text(const gchar *value)
{
    return value ? std::string(value) : std::string();
}

// \a program as an absolute path: as given when it is one, else found on
// the search path; empty when it cannot be found.
std::string absoluteProgram(const std::string &program)
{
    if (program.empty())
        return {};
    if (g_path_is_absolute(program.c_str()))
        return program;
    return text(GText(g_find_program_in_path(program.c_str())).get());
}

// The program a desktop entry runs: the first word of its command line,
// unquoted as the entry's rules say.
std::string programOf(GAppInfo *application)
{
    const char *commandLine = g_app_info_get_commandline(application);
    gchar **words = nullptr;
    if (commandLine && g_shell_parse_argv(commandLine, nullptr, &words, nullptr)) {
        const GStrv owner(words);
        return absoluteProgram(text(words[0]));
    }
    return absoluteProgram(text(g_app_info_get_executable(application)));
}

// A name part made safe for file names, desktop IDs and MIME types, and
// distinct for distinct inputs: lower-case letters, digits, '.', '+' and '-'
// stay, other bytes become "_xx" (their hexadecimal value). Upper case is
// folded first, as the registry and MIME globs ignore it.
std::string safeName(const std::string &name)
{
    static const char Hex[] = "0123456789abcdef";
    std::string safe;
    for (const char c : name) {
        const unsigned char byte = (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
        if ((byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '.'
            || byte == '+' || byte == '-') {
            safe.push_back(char(byte));
        } else {
            safe.push_back('_');
            safe.push_back(Hex[byte >> 4]);
            safe.push_back(Hex[byte & 15]);
        }
    }
    return safe;
}

// One argument of a desktop entry's Exec line: reserved characters make it
// quoted, with '"', '`', '$' and '\' escaped inside.
std::string quotedArgument(const std::string &argument)
{
    static const std::string Reserved = " \t\n\"'\\><~|&;$*?#()`";
    if (!argument.empty() && argument.find_first_of(Reserved) == std::string::npos)
        return argument;
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted.push_back('\\');
        quoted.push_back(c);
    }
    return quoted + "\"";
}

// The Exec line for \a command: its words unquoted by shell rules, "%1" (the
// file, as the Windows shell writes it) turned into the field code %f, other
// '%' doubled; without a "%1" the file is passed last. Empty when the
// command cannot be parsed.
std::string execLine(const std::string &command, std::string *program)
{
    gchar **words = nullptr;
    if (!g_shell_parse_argv(command.c_str(), nullptr, &words, nullptr))
        return {};
    const GStrv owner(words);
    std::string line;
    bool fileGiven = false;
    for (gchar **word = words; *word; ++word) {
        std::string argument;
        const std::string original = *word;
        for (std::size_t i = 0; i < original.size(); ++i) {
            if (original.compare(i, 2, "%1") == 0) {
                argument += "%f";
                fileGiven = true;
                ++i;
            } else {
                argument += original[i] == '%' ? "%%" : std::string(1, original[i]);
            }
        }
        if (!line.empty())
            line += ' ';
        line += quotedArgument(argument);
    }
    if (!fileGiven)
        line += " %f";
    *program = text(words[0]);
    return line;
}

bool writeFile(const std::string &folder, const std::string &name, const std::string &content)
{
    if (g_mkdir_with_parents(folder.c_str(), 0700) != 0)
        return false;
    const GText path(g_build_filename(folder.c_str(), name.c_str(), nullptr));
    return g_file_set_contents(path.get(), content.c_str(), gssize(content.size()), nullptr);
}

// Registers \a type with the glob of \a extension in the user's MIME
// database and has GIO read the database again.
bool registerMimeType(const std::string &type, const FileAssociation &association)
{
    const std::string mimeFolder = text(g_get_user_data_dir()) + "/mime";
    const std::string glob = "*" + association.extension;
    const GText package(g_markup_printf_escaped(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"%s\">\n"
        "    <comment>%s</comment>\n"
        "    <glob pattern=\"%s\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n",
        type.c_str(), association.description.c_str(), glob.c_str()));
    if (!writeFile(mimeFolder + "/packages", "basics-" + safeName(association.extension) + ".xml",
                   package.get()))
        return false;
    gchar *argv[] = {const_cast<gchar *>("update-mime-database"),
                     const_cast<gchar *>(mimeFolder.c_str()), nullptr};
    gint status = -1;
    const bool ran = g_spawn_sync(nullptr, argv, nullptr,
                                  GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL
                                              | G_SPAWN_STDERR_TO_DEV_NULL),
                                  nullptr, nullptr, nullptr, nullptr, &status, nullptr);
    // GIO looks at the database files at most every few seconds: make it
    // read them now, so that the new type is known at once.
    g_content_type_set_mime_dirs(nullptr);
    return ran && g_spawn_check_wait_status(status, nullptr);
}

// GIO learns of a new desktop entry from a file monitor, on a thread of its
// own: a lookup right after writing one may not find it yet. Waits (a second
// at most) until GIO lists \a desktopId, so that the association is known in
// this process once associate() returns.
void awaitListed(const std::string &desktopId)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (GObjectPtr<GDesktopAppInfo>(g_desktop_app_info_new(desktopId.c_str())))
            return;
        g_usleep(5000);
    }
}

class XdgDesktopServices final : public DesktopServices
{
public:
    std::vector<InstalledProgram> installedPrograms() override
    {
        std::vector<std::pair<std::string, InstalledProgram>> found;
        GList *all = g_app_info_get_all();
        for (GList *item = all; item; item = item->next) {
            GAppInfo *application = G_APP_INFO(item->data);
            if (G_IS_DESKTOP_APP_INFO(application)
                && g_desktop_app_info_get_nodisplay(G_DESKTOP_APP_INFO(application)))
                continue;
            found.push_back({text(g_app_info_get_id(application)),
                             {text(g_app_info_get_name(application)), programOf(application),
                              std::string()}});
        }
        g_list_free_full(all, g_object_unref);
        std::stable_sort(found.begin(), found.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        std::vector<InstalledProgram> programs;
        for (auto &entry : found)
            programs.push_back(std::move(entry.second));
        return programs;
    }

    ProgramFiles programFiles() const override { return ProgramFiles::ExecutableFiles; }

    bool associate(const FileAssociation &association) override
    {
        // A MIME glob has no escapes: an extension with glob or path
        // characters cannot be registered as what it says.
        if (association.extension.size() < 2 || association.progId.empty()
            || association.extension.find_first_of("*?[]/") != std::string::npos)
            return false;
        const std::string type = "application/x-" + safeName(association.progId);
        std::string program;
        const std::string exec = execLine(association.command, &program);
        if (exec.empty() || program.empty())
            return false;
        const char *group = G_KEY_FILE_DESKTOP_GROUP;
        GKeyFile *entry = g_key_file_new();
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_TYPE,
                              G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_NAME,
                              GText(g_path_get_basename(program.c_str())).get());
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_COMMENT,
                              association.description.c_str());
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_EXEC, exec.c_str());
        g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_MIME_TYPE, (type + ";").c_str());
        g_key_file_set_boolean(entry, group, G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY, TRUE);
        const GText content(g_key_file_to_data(entry, nullptr, nullptr));
        g_key_file_free(entry);

        const std::string folder = text(g_get_user_data_dir()) + "/applications";
        const std::string name = "basics-" + safeName(association.progId) + ".desktop";
        const bool entryWritten = writeFile(folder, name, content.get());
        const bool typeRegistered = registerMimeType(type, association);
        // GIO refuses an entry whose program it cannot find: then there is
        // no default application to set.
        const GObjectPtr<GDesktopAppInfo> application(
            entryWritten ? g_desktop_app_info_new_from_filename((folder + "/" + name).c_str())
                         : nullptr);
        const bool defaultSet = application
            && g_app_info_set_as_default_for_type(G_APP_INFO(application.get()), type.c_str(),
                                                  nullptr);
        if (defaultSet)
            awaitListed(name);
        return defaultSet && typeRegistered;
    }

    bool executableForExtension(const std::string &extension, std::string *executable) override
    {
        if (extension.empty() || extension.find('/') != std::string::npos)
            return false;
        const std::string fileName = "file" + extension;
        const GText type(g_content_type_guess(fileName.c_str(), nullptr, 0, nullptr));
        if (!type || g_content_type_is_unknown(type.get()))
            return false;
        const GObjectPtr<GAppInfo> application(g_app_info_get_default_for_type(type.get(), FALSE));
        if (!application)
            return false;
        const std::string program = programOf(application.get());
        if (program.empty())
            return false;
        if (executable)
            *executable = program;
        return true;
    }

    bool showHelp(std::uintptr_t, const std::string &, unsigned, std::uintptr_t) override
    {
        return false; // there is no system help viewer for compiled help files
    }
};

// The XDG services need the user's data and configuration folders; a
// process without a usable home (a system service, say) gets the null
// backend.
bool userFoldersUsable()
{
    for (const gchar *folder : {g_get_user_data_dir(), g_get_user_config_dir()}) {
        if (!folder || !g_path_is_absolute(folder) || g_mkdir_with_parents(folder, 0700) != 0)
            return false;
    }
    return true;
}

} // namespace

DesktopServices &DesktopServices::system()
{
    static XdgDesktopServices xdg;
    static DesktopServices &chosen = userFoldersUsable() ? static_cast<DesktopServices &>(xdg)
                                                         : DesktopServices::null();
    return chosen;
}

} // namespace Platform
