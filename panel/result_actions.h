#pragma once
#include <windows.h>

// Sends the host back to the folder it showed before entering ours.
void KxTriggerGoToPreviousDir(HWND tcWindow);

// A double click on a result: parked, it only closes the overlay.
void KxActivateSelectedResults();

// Puts a UTF-16 text on the clipboard; silent when it cannot.
void KxCopyTextToClipboard(HWND owner, const wchar_t* text);
