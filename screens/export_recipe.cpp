#include "screens/screens.h"

// Not built yet.
void export_recipe(const std::string&) {}
