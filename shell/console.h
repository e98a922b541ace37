#pragma once

// Whether standard error is a terminal, where a person watches a tool's
// progress; a pipe or a file gets none of it.
bool standard_error_is_terminal();
