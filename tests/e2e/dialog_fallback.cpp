// The real platform's dialogs where none can be shown: this program lies in
// a directory without the dialog module and runs without a display, so that
// each dialog falls back to telling its failure. A question then counts as
// No, so that nothing is replaced that the user was not asked about, and a
// save dialog as cancelled.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"

TEST(dialog_fallback, a_question_that_cannot_be_shown_counts_as_no) {
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(platform_dialogs_available());
    EXPECT_FALSE(platform_question("A file named \"a.txt\" already exists.\nDo you want to replace it?", "Export"));
    EXPECT_EQ(platform_save_dialog("", {{"Text", "*.txt"}}).path, "");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("Dialogs could not be shown: "), std::string::npos) << told;
    EXPECT_NE(told.find("Export: The question could not be shown: "), std::string::npos) << told;
}
