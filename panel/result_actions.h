#pragma once
#include <windows.h>

#include "search/everything_client.h"

// Sends the host to the folder it showed before entering ours.
void KxTriggerGoToPreviousDir(HWND tcWindow);
// A double click on a result: parked, it only closes the overlay.
void KxActivateSelectedResults();
// Puts a UTF-16 text on the clipboard; failures are silent.
void KxCopyTextToClipboard(HWND owner, const wchar_t* text);
// The edit control's selected text onto the clipboard.
void KxCopyEditSelection(HWND edit);

// Sends the host's active panel to the real path of a displayed result, closing the overlay.
void KxGoToResultLocation(int row);
// Ctrl+C: the selected rows' paths, or the action row's, one per line.
void KxCopyResultPaths();
// F3 / F4: the host's panel goes to the action row, then its view (903) or edit (904) command runs.
void KxViewOrEditResult(WPARAM hostCommand);
// Shift+Enter: the action row opened with its associated program.
void KxOpenResultWithShell();

// The paths of results[rows[i]] joined by CR LF, nothing after the last; rows outside the results
// are skipped. Writes at most capacity - 1 characters when out is given; returns the joined length.
int KxJoinResultPaths(const KxResult* results, int resultCount, const int* rows, int rowCount, wchar_t* out,
                      int capacity);
