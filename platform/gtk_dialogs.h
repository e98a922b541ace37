#pragma once
#include <string>
#include <vector>

#include "platform/dialog_types.h"

// The GTK dialogs live in a module of their own, loaded when the first
// dialog is needed, so that a run that shows none never loads GTK. The
// module exports one function by this name, which gives its calls.
constexpr const char* gtk_dialogs_module = "ldr_gtk_dialogs.so";
constexpr const char* gtk_dialogs_entry = "ldr_gtk_dialog_calls";
// Changes whenever the calls below change, so that a module left from
// another build is refused instead of called wrongly.
constexpr int gtk_dialogs_version = 1;

struct gtk_dialog_calls {
    int version;
    // Starts GTK; false where it cannot (no display). The dialogs below may
    // be shown only after it gave true.
    bool (*start)();
    save_choice (*save_dialog)(const std::string& title, const std::vector<file_filter>& filters);
    void (*message_box)(const std::string& text, const std::string& caption);
    bool (*question)(const std::string& text, const std::string& caption);
};

extern "C" const gtk_dialog_calls* ldr_gtk_dialog_calls();
