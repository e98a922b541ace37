#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/fit_recipe.h"
#include "formats/found_recipe.h"
#include "storage/recipe.h"

// Where the recipes of a file go as they are read.
class recipe_sink {
public:
    virtual ~recipe_sink() = default;
    // A recipe from another format, to be fitted into a recipe file.
    virtual void take_found(const found_recipe& found, const left_out& extra) = 0;
    // A recipe file, taken as it is: its recipe and its bytes.
    virtual void take_as_is(const recipe& dish, std::string_view bytes) = 0;
    // Bytes of the file read so far, for the progress display.
    virtual void bytes_read(uint64_t count) = 0;
    // True once the run has to stop (a recipe could not be written).
    virtual bool stopped() const = 0;
};

struct file_report {
    bool recipes = false;  // recognised as a file of recipes
    std::string_view format;  // then the name of its format (format_list.h)
    int error = 0;         // the system's error number when it could not be read
    uint64_t limit = 0;    // with EFBIG: the largest size read of its kind
    std::vector<std::string> notes;  // parts that could not be read
    // An archive holds recipes of many formats: how many came from each.
    std::vector<std::pair<std::string_view, uint64_t>> from;
    uint64_t pictures = 0;  // pictures skipped
};

// Recognises a file by its content (a recipe file, or one of the formats of
// format_list.h) and hands every recipe in it to the sink. `path` opens
// it; `file_name` is its name without the directory.
file_report read_recipes_from(const std::string& path, const std::string& file_name, recipe_sink& sink);
