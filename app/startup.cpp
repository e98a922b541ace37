// Start-up: one copy only, the collection's lock, the data directory, the default index, the
// command-line import, the pictures, then the menu.
#include "app/startup.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/menu.h"
#include "screens/screens.h"
#include "shell/collection_lock.h"
#include "shell/process_list.h"
#include "shell/services.h"

namespace {

[[noreturn]] void fail_start(const std::string& message) {
    print_text(message, true);
    pause(-1);
    end_program(0);
}

}  // namespace

void lock_collection(const std::string& dir) {
    static collection_lock lock;  // dropped by the system when the program ends
    lock_holder holder;
    // A directory that cannot hold the lock file cannot take an import's
    // files either: the program runs without the lock there.
    if (take_collection_lock(dir, "larderon", lock, holder) != EWOULDBLOCK) return;
    if (holder.program == "larderon") end_program(0);  // another copy, started under another name
    const std::string message =
        "An import into this collection is running; start Larderon again when it has finished.";
    std::fprintf(stderr, "%s\n", message.c_str());
    show_message_box(message, "Larderon");
    end_program(1);
}

std::string absolute_import_path(const std::string& path, const std::string& start_dir) {
    if (path.empty() || path[0] == '/' || start_dir.empty()) return path;
    return (std::filesystem::path(start_dir) / path).string();
}

int run_program(int argc, char** argv) {
    init_services(argc, argv);
    // A relative path on the command line means one in the directory the
    // program was started in, which is left below for the program's own.
    std::error_code unknown;
    const std::string start_dir = std::filesystem::current_path(unknown).string();

    std::optional<std::string> names = list_process_names();
    if (!names) fail_start("CreateToolhelp32Snapshot failed");
    if (names->empty()) fail_start("Process32First failed");
    if (another_copy_running(*names, own_process_name())) end_program(0);
    lock_collection(executable_dir());

    open_window(250, 450, 32);
    set_window_title("Larderon");
    change_dir(executable_dir());
    read_recipe_count(0);

    std::string import_path = absolute_import_path(command_args(), start_dir);
    if (!import_path.empty()) import_recipe(import_path);

    set_window_title("Loading...");
    menu_pictures pictures = load_menu_pictures();
    run_menu(pictures);
}
