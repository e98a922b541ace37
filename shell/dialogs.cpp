// The system's save dialog, message box and yes/no question.
#include "platform/platform.h"
#include "shell/services.h"

bool dialogs_available() { return platform_dialogs_available(); }

save_choice show_save_dialog(const std::string& title, const std::vector<file_filter>& filters) {
    return platform_save_dialog(title, filters);
}

void show_message_box(const std::string& text, const std::string& caption) {
    platform_message_box(text, caption);
}

bool ask_question(const std::string& text, const std::string& caption) {
    return platform_question(text, caption);
}
