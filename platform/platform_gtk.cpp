// The system's dialogs on GTK 3, built as the module that the real platform
// loads when the first dialog is needed (gtk_dialogs.h). GTK never switches
// the locale: SDL sets window titles in the C locale's form, which X tools
// then match.
#include <gtk/gtk.h>

#include "platform/gtk_dialogs.h"

namespace {

bool gtk_started() {
    static const bool started = [] {
        gtk_disable_setlocale();
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    return started;
}

// Lets GTK take a destroyed dialog off the screen before anything else shows.
void finish_dialog(GtkWidget* dialog) {
    gtk_widget_destroy(dialog);
    while (gtk_events_pending()) gtk_main_iteration();
}

GtkWidget* make_message(GtkMessageType type, GtkButtonsType buttons, const std::string& text,
                        const std::string& caption) {
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, buttons, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    return dialog;
}

save_choice save_dialog(const std::string& title, const std::vector<file_filter>& filters) {
    save_choice choice;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(title.empty() ? "Save As" : title.c_str(), nullptr,
                                                    GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel", GTK_RESPONSE_CANCEL,
                                                    "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    gtk_file_chooser_set_current_folder(chooser, g_get_home_dir());
    std::vector<GtkFileFilter*> offered;
    for (const file_filter& f : filters) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, f.label.c_str());
        gtk_file_filter_add_pattern(filter, f.pattern.c_str());
        gtk_file_chooser_add_filter(chooser, filter);
        offered.push_back(filter);
    }
    if (!offered.empty()) gtk_file_chooser_set_filter(chooser, offered.front());
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(chooser)) {
            choice.path = name;
            g_free(name);
        }
        GtkFileFilter* in_force = gtk_file_chooser_get_filter(chooser);
        for (size_t i = 0; i < offered.size(); ++i)
            if (offered[i] == in_force) choice.filter = static_cast<int>(i) + 1;
    }
    finish_dialog(dialog);
    return choice;
}

void message_box(const std::string& text, const std::string& caption) {
    GtkWidget* dialog = make_message(GTK_MESSAGE_INFO, GTK_BUTTONS_OK, text, caption);
    gtk_dialog_run(GTK_DIALOG(dialog));
    finish_dialog(dialog);
}

bool question(const std::string& text, const std::string& caption) {
    GtkWidget* dialog = make_message(GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, text, caption);
    const bool yes = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_YES;
    finish_dialog(dialog);
    return yes;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const gtk_dialog_calls* ldr_gtk_dialog_calls() {
    static const gtk_dialog_calls calls{gtk_dialogs_version, gtk_started, save_dialog, message_box, question};
    return &calls;
}
