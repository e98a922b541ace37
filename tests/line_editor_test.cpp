// The line editor behind input_line and input_value.
#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "shell/services.h"
#include "tests/test_support.h"

namespace {

class line_editor : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        open_window(640, 480, 32);
        set_text_grid(80, 30);
    }
};

constexpr int left = 75, right = 77, up = 72, down = 80, home = 71, end = 79, del = 83;

TEST_F(line_editor, inserts_at_the_caret_and_moves_it) {
    script::type("acd");
    script::press(left);
    script::press(left);
    script::type("b");
    script::press(end);
    script::type("e");
    script::press(home);
    script::type(">");
    script::press(28);
    EXPECT_EQ(input_line("", false, true), ">abcde");
    EXPECT_EQ(row_text(1).substr(0, 7), ">abcde ");
    EXPECT_EQ(screen().row, 2);
    EXPECT_EQ(screen().column, 1);
}

TEST_F(line_editor, backspace_delete_and_the_beep_at_the_end) {
    script::type("abcd");
    script::press(14);   // Backspace: abc
    script::press(home);
    script::press(del);  // bc
    script::press(end);
    script::press(del);  // nothing there: beep
    script::press(28);
    EXPECT_EQ(input_line("", false, true), "bc");
    EXPECT_EQ(script::beeps(), 1);
    EXPECT_EQ(row_text(1).substr(0, 4), "bc  ");
}

TEST_F(line_editor, backspace_at_the_start_does_nothing) {
    script::press(14);
    script::type("x");
    script::press(home);
    script::press(14);
    script::press(28);
    EXPECT_EQ(input_line("", false, true), "x");
}

TEST_F(line_editor, tab_fills_to_the_next_multiple_of_eight) {
    script::type("abc");
    script::press(15);
    script::type("d");
    script::press(15);
    script::press(15);
    script::type("e");
    script::press(28);
    EXPECT_EQ(input_line("", false, true), "abc     d       " + std::string(8, ' ') + "e");
}

TEST_F(line_editor, escape_clears_the_whole_line) {
    script::type("wrong");
    script::press(1);
    script::type("right");
    script::press(28);
    EXPECT_EQ(input_line("", false, true), "right");
    EXPECT_EQ(row_text(1).substr(0, 6), "right ");
}

TEST_F(line_editor, up_and_down_move_by_a_row_within_the_text) {
    std::string long_text(100, 'a');
    script::type(long_text);
    script::press(up);     // caret 100 -> 20
    script::type("X");
    script::press(up);     // 21 -> 0 (never before the start)
    script::type("Y");
    script::press(down);   // 1 -> 81
    script::type("Z");
    script::press(down);   // 82 -> end
    script::type("W");
    script::press(28);
    std::string expected = std::string("Y").append(20, 'a').append("X").append(59, 'a').append("Z").append(21, 'a').append("W");
    EXPECT_EQ(input_line("", false, true), expected);
}

TEST_F(line_editor, prompt_question_mark_and_wrapping) {
    script::line(std::string(90, 'b'));
    std::string typed = input_line("Name", true, true);
    EXPECT_EQ(typed, std::string(90, 'b'));
    EXPECT_EQ(row_text(1), "Name? " + std::string(74, 'b'));
    EXPECT_EQ(row_text(2).substr(0, 17), std::string(16, 'b') + " ");
    EXPECT_EQ(screen().row, 3);
}

TEST_F(line_editor, stops_taking_characters_at_4096) {
    script::type(std::string(4100, 'q'));
    script::press(15);
    script::press(28);
    EXPECT_EQ(input_line("", false, false), std::string(4096, 'q'));
}

TEST_F(line_editor, enter_without_line_end_leaves_the_cursor_after_the_text) {
    script::line("abc");
    input_line(">", false, false);
    EXPECT_EQ(screen().row, 1);
    EXPECT_EQ(screen().column, 5);
}

TEST_F(line_editor, input_value_takes_the_first_field) {
    script::line("  apple pie, with cream");
    EXPECT_EQ(input_value(">", false, true), "apple pie");
    script::line("\"apple pie, with cream\"");
    EXPECT_EQ(input_value(">", false, true), "apple pie, with cream");
    script::line("apple pie, with cream");
    EXPECT_EQ(input_line(">", false, true), "apple pie, with cream");
    script::line("\"apple pie, with cream\"");
    EXPECT_EQ(input_line(">", false, true), "\"apple pie, with cream\"");
}

TEST_F(line_editor, input_number_reads_the_leading_number) {
    script::line("12 eggs");
    EXPECT_EQ(input_number(">", false, true), 12);
    script::line("2.5");
    EXPECT_EQ(input_number(">", false, true), 2);
    script::line("3.5");
    EXPECT_EQ(input_number(">", false, true), 4);
    script::line("four");
    EXPECT_EQ(input_number(">", false, true), 0);
    script::line("-7");
    EXPECT_EQ(input_number(">", false, true), -7);
}

TEST_F(line_editor, typing_on_the_last_row_scrolls_and_keeps_the_text_together) {
    for (int i = 0; i < 29; ++i) print_text("row " + std::to_string(i + 1), true);
    script::line(std::string(85, 'z'));
    EXPECT_EQ(input_line(">", false, true), std::string(85, 'z'));
    EXPECT_EQ(row_text(29), std::string(">").append(79, 'z'));
    EXPECT_EQ(row_text(30).substr(0, 7), "zzzzzz ");
    EXPECT_EQ(row_text(28), "row 29" + std::string(74, ' '));
}

}  // namespace
