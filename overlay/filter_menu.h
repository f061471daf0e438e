#pragma once

// Shows the filter menu under the overlay's filter button and carries out the choice.
void KxShowFilterMenu();

// A filter name as a menu item shows it: each "&" doubled, so that none becomes a mnemonic. Returns 0 (out
// empty) when it does not fit in capacity.
int KxMenuItemText(const wchar_t* name, wchar_t* out, int capacity);
