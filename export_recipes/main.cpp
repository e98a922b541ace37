#include <iostream>

#include "export_recipes/export_tool.h"
#include "shell/console.h"
#include "shell/services.h"

int main(int argc, char** argv) {
    init_services(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return export_recipes(args, {executable_dir(), std::cout, std::cerr, standard_error_is_terminal()});
}
