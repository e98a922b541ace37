// The system's dialogs for the real platform. GTK and the many libraries it
// needs are loaded with the dialog module when the first dialog is needed,
// so that the program starts without them and a run that shows no dialog
// never loads them. The module lies beside the program (in the build tree a
// link to it does), and is loaded by that full path only, whatever the
// library search path says.
//
// Where the module cannot be loaded or GTK cannot start, the failure is
// told on standard error and in SDL's own message box, which also stands in
// for the message box; a save dialog or question that cannot be shown counts
// as cancelled or No.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

#include "platform/gtk_dialogs.h"
#include "platform/platform.h"

namespace {

struct dialog_module {
    const gtk_dialog_calls* calls = nullptr;  // null when no dialog can be shown
    std::string failure;                      // why not
};

// Loads the module and starts GTK, once. Without a display there is nothing
// to tell: the backup tool then asks on the console.
const dialog_module& dialogs() {
    static const dialog_module loaded = [] {
        dialog_module module;
        const gtk_dialog_calls* calls = nullptr;
        const std::string path =
            (std::filesystem::path(platform_executable_path()).parent_path() / gtk_dialogs_module).string();
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            using entry_function = const gtk_dialog_calls* (*)();
            if (auto entry = reinterpret_cast<entry_function>(dlsym(handle, gtk_dialogs_entry))) calls = entry();
        }
        if (!calls) {
            const char* reason = dlerror();
            module.failure = reason ? reason : path + " could not be loaded";
        } else if (calls->version != gtk_dialogs_version) {
            module.failure = gtk_dialogs_module + std::string(" belongs to another version of the program");
        } else if (!calls->start()) {
            module.failure = "GTK could not start";
            return module;
        } else {
            module.calls = calls;
            return module;
        }
        std::fprintf(stderr, "Dialogs could not be shown: %s\n", module.failure.c_str());
        return module;
    }();
    return loaded;
}

// SDL's message box, which needs no more than the X libraries SDL uses
// already; standard error when even that cannot be shown.
void show_sdl_box(Uint32 kind, const std::string& title, const std::string& text) {
    if (SDL_ShowSimpleMessageBox(kind, title.c_str(), text.c_str(), nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

}  // namespace

bool platform_dialogs_available() { return dialogs().calls != nullptr; }

save_choice platform_save_dialog(const std::string& title, const std::vector<file_filter>& filters) {
    if (const gtk_dialog_calls* calls = dialogs().calls) return calls->save_dialog(title, filters);
    show_sdl_box(SDL_MESSAGEBOX_ERROR, title.empty() ? "Save As" : title,
                 "The save dialog could not be shown: " + dialogs().failure + ".");
    return {};
}

void platform_message_box(const std::string& text, const std::string& caption) {
    if (const gtk_dialog_calls* calls = dialogs().calls) return calls->message_box(text, caption);
    show_sdl_box(SDL_MESSAGEBOX_INFORMATION, caption, text);
}

bool platform_question(const std::string& text, const std::string& caption) {
    if (const gtk_dialog_calls* calls = dialogs().calls) return calls->question(text, caption);
    show_sdl_box(SDL_MESSAGEBOX_ERROR, caption, "The question could not be shown: " + dialogs().failure + ".");
    return false;
}
