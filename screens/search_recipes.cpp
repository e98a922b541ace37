#include "screens/screens.h"

// Not built yet: the menu's search buttons return to the menu at once.
void search_recipes(uint8_t) {}
