#pragma once
#include <string>

// The one path by which window events reach the keyboard and mouse state.
// Both platforms call these from platform_pump_events.

// Key codes in the key queue: 1..255 for a character, 256 + c for an
// extended key whose second character is c (a set-1 scancode, or 'k' for
// the window's close button).
constexpr int extended_key = 256;
constexpr int close_key = extended_key + 'k';

// A key went down or up; scancode is set 1 (0..127). A press also queues
// the keys that have no character: Enter, Escape, Backspace, Tab and the
// extended keys (cursor block, Insert, Delete, F1..F10).
void feed_key_down(int scancode, bool queue_extended = true);
void feed_key_up(int scancode);
// Takes the oldest key code from the queue; 0 when it is empty.
int take_key_code();

// Typed text in UTF-8; each character that Windows-1252 holds is queued.
void feed_text(const std::string& utf8);
void feed_close_button();
void feed_mouse_motion(int x, int y);
void feed_mouse_button(int button, bool down);  // 0 left, 1 right, 2 middle
void feed_mouse_wheel(int steps);
void feed_pointer_inside(bool inside);
void feed_focus(bool focused);
// The window system lost the window's picture: present it again.
void feed_exposed();
