#pragma once
#include <windows.h>

// Sends the host back to the folder it showed before entering ours.
void KxTriggerGoToPreviousDir(HWND tcWindow);
