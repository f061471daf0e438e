#pragma once

// Shows the filter menu under the overlay's filter button and carries out the choice.
void KxShowFilterMenu();

// The menu label of a filter's name: every '&' doubled, so the name is shown as written.
void KxFormatMenuLabel(const wchar_t* name, wchar_t* out, int capacity);
