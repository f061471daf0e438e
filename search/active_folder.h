#pragma once
#include <windows.h>

// Asks the host for its active panel's folder (through its clipboard command) into g_activeFolder;
// the user's clipboard is put back as it was.
void KxResolveActiveFolder();

// Turns the host's clipboard text into a folder ending with a backslash; 0 for a plug-in folder
// (three leading backslashes) or an empty text.
int KxNormalizePanelFolder(const wchar_t* clipboardText, wchar_t* folder, int capacity);
