// Mouse, keys, the key queue and the waits, driven through the scripted platform.
#include "platform/input.h"
#include "platform/platform_script.h"
#include "platform/screen_state.h"
#include "shell/services.h"
#include "tests/test_support.h"

namespace {

class keyboard : public larder_test {
protected:
    void SetUp() override {
        larder_test::SetUp();
        open_window(250, 450, 32);
        set_text_grid(30, 27);
    }
    // Lets the script deliver every step it holds.
    void drain() {
        while (script::pending_steps() > 0) pause(10);
    }
};

TEST_F(keyboard, read_key_gives_blank_escape_and_extended_keys) {
    EXPECT_EQ(read_key(), "");
    script::type(" ");
    script::press(1);    // Escape
    script::press(75);   // Left arrow
    script::press(59);   // F1
    script::close_button();
    drain();
    EXPECT_EQ(read_key(), " ");
    EXPECT_EQ(read_key(), "\x1b");
    EXPECT_EQ(read_key(), "\xFFK");
    EXPECT_EQ(read_key(), "\xFF;");
    EXPECT_EQ(read_key(), "\xFFk");
    EXPECT_EQ(read_key(), "");
}

TEST_F(keyboard, queue_keeps_the_newest_fifteen_keys) {
    script::type("abcdefghijklmnopq");  // 17 keys
    drain();
    std::string kept;
    for (std::string k = read_key(); !k.empty(); k = read_key()) kept += k;
    EXPECT_EQ(kept, "cdefghijklmnopq");
}

TEST_F(keyboard, typed_text_becomes_windows_1252_and_the_rest_is_dropped) {
    script::type("\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD,");  // e acute, euro sign, a CJK character, comma
    drain();
    EXPECT_EQ(read_key(), "\xE9");
    EXPECT_EQ(read_key(), "\x80");
    EXPECT_EQ(read_key(), ",");
    EXPECT_EQ(read_key(), "");
}

TEST_F(keyboard, key_held_follows_the_table_not_the_queue) {
    script::key_down(30);
    drain();
    EXPECT_TRUE(key_held(30));
    EXPECT_EQ(read_key(), "");  // a letter key queues nothing by itself
    EXPECT_FALSE(key_held(128));
    EXPECT_FALSE(key_held(-1));
    script::key_up(30);
    drain();
    EXPECT_FALSE(key_held(30));
}

TEST_F(keyboard, focus_change_forgets_held_keys_and_buttons) {
    script::key_down(77);
    script::move(10, 10);
    script::button(0, true);
    drain();
    EXPECT_TRUE(key_held(77));
    EXPECT_EQ(poll_mouse().buttons, 1);
    script::focus(false);
    drain();
    EXPECT_FALSE(key_held(77));
    EXPECT_EQ(poll_mouse().x, -1);  // not the active window
    script::focus(true);
    drain();
    EXPECT_EQ(poll_mouse().buttons, 0);
}

TEST_F(keyboard, mouse_reads_minus_one_outside_the_window) {
    script::move(249, 449);
    drain();
    mouse_reading inside = poll_mouse();
    EXPECT_EQ(inside.x, 249);
    EXPECT_EQ(inside.y, 449);
    script::move(250, 100);
    drain();
    mouse_reading outside = poll_mouse();
    EXPECT_EQ(outside.x, -1);
    EXPECT_EQ(outside.y, -1);
    EXPECT_EQ(outside.wheel, -1);
    EXPECT_EQ(outside.buttons, -1);
}

TEST_F(keyboard, a_click_is_seen_by_exactly_one_poll) {
    script::click(20, 30);
    mouse_reading first = poll_mouse();
    mouse_reading second = poll_mouse();
    EXPECT_EQ(first.buttons & 1, 1);
    EXPECT_EQ(second.buttons & 1, 0);
}

TEST_F(keyboard, a_click_between_two_polls_is_still_seen_once) {
    script::move(40, 50);
    auto quick_click = [] {
        feed_mouse_button(0, true);
        feed_mouse_button(0, false);
    };
    script::call(quick_click);
    drain();
    EXPECT_EQ(poll_mouse().buttons, 1);
    EXPECT_EQ(poll_mouse().buttons, 0);
    script::call(quick_click);
    drain();
    pause(300);  // a click long ago is no click now
    EXPECT_EQ(poll_mouse().buttons, 0);
}

TEST_F(keyboard, set_mouse_clamps_and_keeps_visibility_on_minus_one) {
    set_mouse(1, 1, 0);
    EXPECT_FALSE(script::pointer_visible());
    set_mouse(500, -20, -1);
    EXPECT_EQ(script::pointer_x(), 249);
    EXPECT_EQ(script::pointer_y(), 0);
    EXPECT_FALSE(script::pointer_visible());
    set_mouse(3, 4, 1);
    EXPECT_TRUE(script::pointer_visible());
    EXPECT_EQ(poll_mouse().x, 3);
}

TEST_F(keyboard, wait_key_returns_codes_with_extended_keys_from_256) {
    script::type("x", 300);
    script::press(72, 100);  // Up
    double start = script::now();
    EXPECT_EQ(wait_key(), 'x');
    EXPECT_GE(script::now() - start, 0.3 - 1e-9);
    EXPECT_EQ(wait_key(), 256 + 72);
}

TEST_F(keyboard, short_pause_sleeps_through_a_key) {
    script::type("k", 10);
    double start = script::now();
    pause(99);
    EXPECT_NEAR(script::now() - start, 0.099, 1e-9);
}

TEST_F(keyboard, long_pause_ends_soon_after_a_key) {
    script::type("k", 200);
    double start = script::now();
    pause(500);
    double waited = script::now() - start;
    EXPECT_GE(waited, 0.2 - 1e-9);
    EXPECT_LE(waited, 0.2 + 0.051);
    EXPECT_EQ(read_key(), "k");  // the key stays queued
    start = script::now();
    pause(500);
    EXPECT_NEAR(script::now() - start, 0.5, 1e-9);
}

TEST_F(keyboard, pause_minus_one_waits_for_a_key_and_leaves_it_queued) {
    script::press(28, 3000);
    double start = script::now();
    pause(-1);
    EXPECT_GE(script::now() - start, 3.0);
    EXPECT_EQ(read_key(), "\r");
    double again = script::now();
    pause(0);
    pause(-5);
    EXPECT_EQ(script::now(), again);
}

TEST_F(keyboard, idle_polling_presents_only_changed_frames) {
    poll_mouse();
    int presents = script::window().presents;
    for (int i = 0; i < 50; ++i) {
        poll_mouse();
        pause(25);
    }
    EXPECT_EQ(script::window().presents, presents);
    print_text("x", false);
    poll_mouse();
    EXPECT_EQ(script::window().presents, presents + 1);
    script::expose();
    poll_mouse();
    EXPECT_EQ(script::window().presents, presents + 2);
}

TEST_F(keyboard, a_waiting_program_without_script_gives_up) {
    EXPECT_THROW(wait_key(), script_exhausted);
}

}  // namespace
