#include "screens/screens.h"

// Not built yet: the menu's button returns to the menu at once.
void remove_recipes() {}
