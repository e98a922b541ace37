#include "backup/backup.h"
#include "shell/services.h"

int main(int argc, char** argv) {
    init_services(argc, argv);
    return back_up(executable_dir(), command_args());
}
