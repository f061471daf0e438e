#pragma once
#include <windows.h>

// Rows of the list at once: client height over row height, at least 1.
int KxVisibleRowsFor(int clientHeight, int rowHeight);
int KxVisibleRows();
// How far PgUp and PgDn move: MaxVisibleRows - 1, or 1 below 3 rows.
int KxPageStep(int maxVisibleRows);
// The row a single-hit action applies to: the caret, else the current row, else row 0.
int KxActionRowOf(int caret, int currentRow, int count);
int KxActionRow();

// Makes row the only selected row, the caret and the anchor Shift extends from; -1 deselects all.
void KxSelectOnlyRow(int row);
// Moves the selection to a row (clamped), remembering typed text first; nothing without results.
void KxSelectRow(int row);
// Up or Down typed in the edit box: one row, or with Shift the list extends its selection.
void KxMoveSelectionFromEdit(WPARAM key, LPARAM keyData);
