#pragma once
#include <windows.h>

// Sends the host back to the folder it showed before entering ours.
void KxTriggerGoToPreviousDir(HWND tcWindow);

// A double click on a result: parked, it only closes the overlay.
void KxActivateSelectedResults();
