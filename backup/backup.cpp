// The backup tool: the archiver packs the data files beside the tool into
// ldr_backup.zip, which is then moved where the user says.
#include "backup/backup.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "shell/services.h"
#include "shell/text.h"

namespace {

const std::string archive_name = "ldr_backup.zip";
// Hidden names (the program's temporary files) match none of these patterns.
const std::string packing_line = "zip -q ldr_backup.zip *.rcp *.ldr *.bak";
const std::string dialog_title = "Where to save your backup?";
constexpr int command_not_found = 127;

// A failure goes to standard error and, where there is a display, into a
// message box. Gives the exit status.
int report_failure(const std::string& message) {
    std::cerr << message << '\n';
    if (dialogs_available()) show_message_box(message, "LDR Info");
    return 1;
}

// A typed path counts from the directory the tool was started in, not from
// the tool's own directory that it moves to later.
std::string make_absolute(const std::string& path) {
    std::error_code failed;
    std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    return failed ? path : absolute.string();
}

// "~" and a path beginning with "~/" count from the home directory, as in a
// shell; any other path stays as typed.
std::string expand_home(const std::string& path) {
    if (path != "~" && !path.starts_with("~/")) return path;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home ? home + path.substr(1) : path;
}

// The file the user chooses; empty when cancelled.
std::string ask_destination_file(std::istream& console) {
    if (dialogs_available())
        return show_save_dialog(dialog_title, {{"Compressed Backup (*.zip)", "*.zip"}}).path;
    print_text(dialog_title, true);
    std::string line;
    std::getline(console, line);  // the end of input leaves it empty
    return line.empty() ? line : make_absolute(expand_home(line));
}

bool is_directory(const std::string& path) {
    std::error_code failed;
    return std::filesystem::is_directory(path, failed);
}

// "backup" becomes "backup.zip"; a name ending in "zip" in any case stays.
std::string with_zip_ending(std::string path) {
    if (path.size() < 3 || upper_case(path.substr(path.size() - 3)) != "ZIP") path += ".zip";
    return path;
}

// Runs a line with the tool's directory first on the search path, so that a
// zip lying beside the tool wins. The search path is put back afterwards.
int run_with_tool_dir_first(const std::string& line, const std::string& tool_dir) {
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    const std::string rest = old ? saved : "/usr/local/bin:/usr/bin:/bin";
    ::setenv("PATH", (tool_dir + ":" + rest).c_str(), 1);
    int status = run_command(line);
    if (old) ::setenv("PATH", saved.c_str(), 1);
    else ::unsetenv("PATH");
    return status;
}

bool archive_made() {
    std::error_code failed;
    return std::filesystem::is_regular_file(archive_name, failed);
}

// Where the archive goes, and the move line that puts it there.
struct move_plan {
    std::string target;
    std::string line;
};

// The quoted directory and the name right after it make one path for the move.
move_plan move_into_directory(const std::string& text) {
    std::string dir = make_absolute(text);
    if (dir.back() != '/') dir += '/';
    return {dir + archive_name, "move " + archive_name + " \"" + dir + "\"" + archive_name};
}

move_plan move_to_file(const std::string& path) {
    std::string target = with_zip_ending(path);
    return {target, "move " + archive_name + " \"" + target + "\""};
}

}  // namespace

int back_up(const std::string& tool_dir, const std::string& destination, std::istream& console) {
    const std::string chosen = destination.empty() ? ask_destination_file(console) : destination;
    if (chosen.empty()) return 0;
    // The move line quotes the destination; a quote inside would end it early.
    if (chosen.find('"') != std::string::npos)
        return report_failure("Backup failed: the destination holds a double quote.");
    // A directory typed on the console ("~", say) receives the archive under
    // its own name, as one given on the command line does.
    const move_plan move =
        destination.empty() && !is_directory(chosen) ? move_to_file(chosen) : move_into_directory(chosen);

    const std::string archive = tool_dir + "/" + archive_name;
    change_dir(tool_dir);
    if (last_error() != 0) return report_failure("Backup failed: the directory " + tool_dir + " could not be opened.");
    // zip would add to an old archive, bringing back files deleted since.
    delete_file(archive_name);
    if (last_error() != 0) return report_failure("Backup failed: the old " + archive + " could not be removed.");

    int status = run_with_tool_dir_first(packing_line, tool_dir);
    if (status == command_not_found)
        return report_failure("Backup failed: the zip program was not found. Install the zip package.");
    if (status != 0 || !archive_made()) {
        delete_file(archive_name);  // nothing incomplete may pass for a backup
        return report_failure("Backup failed: zip ended with status " + int_to_text(status) + ".");
    }
    if (run_command(move.line) != 0)
        return report_failure("Backup failed: the archive could not be moved to " + move.target + ". It is in " +
                              archive + ".");
    return 0;
}
