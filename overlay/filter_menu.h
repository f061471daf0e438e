#pragma once

// Shows the filter menu under the overlay's filter button and carries out the choice.
void KxShowFilterMenu();
