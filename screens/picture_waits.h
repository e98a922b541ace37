#pragma once
#include <optional>
#include <string>
#include <vector>

#include "shell/image.h"

// Pictures of the screens and the waits that are answered on them.

// Loads pictures from the "data" directory under the current one, in the
// order given, then makes the program's directory current again. A picture
// that can't be loaded stays empty: it is not drawn, its click areas work.
std::vector<std::optional<image>> load_data_pictures(const std::vector<std::string>& names);
void draw_picture(int x, int y, const std::optional<image>& picture);

// The continue picture at (0, top); ends on Escape from the key queue (other
// keys are dropped) or a left click at x >= 1 and y > top; 99 ms a round.
void continue_wait(const std::optional<image>& picture, int top = 400);

// The yes/no picture at (0, top) with the pointer put at (1, 1) before and
// after; only a left click below top answers: x 1..124 Yes, 125..249 No.
// Keys play no part and stay queued. True for Yes.
bool ask_yes_no(const std::optional<image>& picture, int top = 400);
