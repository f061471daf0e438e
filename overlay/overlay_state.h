#pragma once
#include <windows.h>

// The overlay's windows and list state: what the settings, the searches and the actions read of the
// overlay, apart from the window code that owns it.

// Child control ids.
enum KxOverlayControl {
    KX_ID_EDIT = 201,
    KX_ID_CLEAR = 202,
    KX_ID_FILTER = 203,
    KX_ID_CLOSE = 204,
    KX_ID_LIST = 205,
    KX_ID_SCOPE = 206,
};

// Sort columns, as the comparator numbers them.
enum KxSortColumn { KX_COLUMN_NAME = 0, KX_COLUMN_SIZE = 1, KX_COLUMN_DATE = 2, KX_COLUMN_FOLDER = 3, KX_COLUMN_TYPE = 4 };

constexpr UINT_PTR KX_TIMER_SEARCH = 1;
constexpr UINT_PTR KX_TIMER_HISTORY = 7;

// The overlay's windows; none until start-up made them.
extern HWND g_overlayWnd;
extern HWND g_editWnd;
extern HWND g_listWnd;
extern HWND g_clearButton;
extern HWND g_filterButton;
extern HWND g_scopeButton;
extern HWND g_closeButton;
extern HWND g_tooltipWnd;

// The row that actions apply to; -1 for none.
extern int g_currentRow;
extern int g_shownRows;
extern bool g_listOverflow;
extern RECT g_headerRect;
extern RECT g_searchBoxRect;
extern int g_sortColumn;
extern bool g_sortDescending;
extern bool g_clientSortActive;
