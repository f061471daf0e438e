#include "overlay/filter_menu.h"

// Least version until the filter menu is built.
void KxShowFilterMenu() {}
