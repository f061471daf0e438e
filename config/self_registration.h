#pragma once
#include <windows.h>

// Self-registration in the host's wincmd.ini, run once per load before the keyboard hook exists:
// the plug-in's entry, the hot key as a host shortcut into its folder (which serves the first press
// while the library is not loaded yet) and a column view for that folder. Each step only adds what
// is missing, and a step that cannot read the file writes nothing; the host picks the additions up
// at its next start.

void KxSelfRegisterWfxPlugin();
// Finds wincmd.ini for itself and for KxSelfRegisterHotkeyShortcut, which runs right after it.
void KxPruneStaleHotkeyShortcuts();
void KxSelfRegisterHotkeyShortcut();
void KxSelfRegisterCustomColumnsView();

// Pure rules of the pruning walk, so they can be tested without an ini.
// 1 when a "key=value" entry of [Shortcuts] is a CA+<one character>=CD binding other than
// currentKey; its four-character key goes to key (capacity 5 or more).
int KxIsOtherHotkeyCdEntry(const wchar_t* entry, const wchar_t* currentKey, wchar_t* key, int capacity);
// The entry of a [Shortcuts] copy (a block of "key=value" texts ending in an empty one) that a delete of key
// would remove: the first whose key equals it ignoring case; null when there is none.
const wchar_t* KxFirstEntryOfKey(const wchar_t* section, const wchar_t* key);
// 1 when deleting key and key_params by name would remove our own pair: the first entry of key is spelled
// exactly so and bound to CD, the first of key_params holds root, in double quotes or not.
int KxIsOurShortcutPair(const wchar_t* section, const wchar_t* key, const wchar_t* root);
// Removes one pair of enclosing double quotes, in place.
void KxStripEnclosingQuotes(wchar_t* text);
