#include "search/search_composition.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "config/settings.h"
#include "core/log.h"
#include "overlay/list_selection.h"
#include "overlay/overlay_window.h"
#include "search/active_folder.h"
#include "search/drives.h"
#include "search/result_sort.h"

KxResult g_results[KX_RESULT_CAPACITY];
int g_resultCount;
DWORD g_resultTotal;
bool g_searchRunning;
volatile int g_searchRestart;
bool g_activeFolderResolved;
wchar_t g_activeFolder[KX_PATH_CHARS];
wchar_t g_lastActiveFolder[KX_PATH_CHARS];

namespace {

// Both queries of one search land here; the visible results change only when the search completes.
KxResult g_queryResults[KX_RESULT_CAPACITY];

struct KxSearchOutcome {
    int count;
    DWORD total;
    int ok;
};

int KxOverlayShown()
{
    return g_overlayWnd && IsWindow(g_overlayWnd) && IsWindowVisible(g_overlayWnd);
}

// A restart request or a closed overlay abandons the pass.
int KxPassAbandoned()
{
    return g_searchRestart || !KxOverlayShown();
}

KxSearchOutcome KxQueryInto(const wchar_t* prefix, const wchar_t* text, const wchar_t* suffix, int offset,
                            int capacity)
{
    KxSearchOutcome outcome{0, 0, 0};
    outcome.ok = KxRunEverythingQuery(prefix[0] ? prefix : nullptr, text, suffix, g_queryResults + offset, capacity,
                                      &outcome.count, &outcome.total);
    if (outcome.count < 0) outcome.count = 0;
    if (outcome.count > capacity) outcome.count = capacity;
    return outcome;
}

void KxShowResults()
{
    if (g_resultCount >= 2) KxPartitionFilesFirst(g_results, g_resultCount);
    // A column the user sorted by stays sorted for every new result set.
    if (g_clientSortActive) KxSortResults(g_results, g_resultCount, g_sortColumn, g_sortDescending);
    KxRefreshResultList();
    // Selection marks of the previous list would name other hits now.
    KxSelectOnlyRow(g_resultCount > 0 ? 0 : -1);
    KxPaintResultsNow();
}

void KxClearResults()
{
    // No query was made, so there is nothing to say about Everything.
    g_searchFailureText = nullptr;
    g_resultCount = 0;
    g_resultTotal = 0;
    KxRefreshResultList();
    KxSelectOnlyRow(-1);
    KxPaintResultsNow();
}

// The query text after the "path:." substitution; 0 when the pass must show no results.
int KxPrepareQueryText(const wchar_t* typed, wchar_t* queryText)
{
    int token = KxFindPathToken(typed);
    if (token < 0) {
        lstrcpynW(queryText, typed, KX_QUERY_TEXT_CHARS);
        return 1;
    }
    if (!g_activeFolderResolved) {
        g_activeFolderResolved = true;
        KxResolveActiveFolder();
    }
    if (!KxSubstitutePathToken(typed, token, g_activeFolder, queryText, KX_QUERY_TEXT_CHARS)) return 0;
    if (g_settings.everythingDebug) {
        wchar_t line[1100];
        _snwprintf(line, 1100, L"path:. substituted with %ls", g_activeFolder);
        line[1099] = L'\0';
        KxDebugLog(line);
    }
    return 1;
}

// Filter term and drive expression; returns the scope's name as it applied ("All" when nothing was added).
const wchar_t* KxPreparePrefix(wchar_t* prefix, int* includeFolders)
{
    KxComposeFilterTerm(KxSelectedFilter(), prefix, KX_PREFIX_CHARS, includeFolders);
    int scope = g_settings.driveScope;
    // The drives were refreshed at the start of this pass; a second look would find the same letters.
    if (scope == KX_SCOPE_ALL) return KxDriveScopeName(KX_SCOPE_ALL);
    BYTE classes[26];
    for (int letter = 0; letter < 26; ++letter) classes[letter] = g_drives[letter].scopeClass;
    wchar_t expression[KX_PREFIX_CHARS];
    if (KxComposeDriveExpression(scope, classes, expression, KX_PREFIX_CHARS) == 0) {
        KxLog(L"KxRunSearchNow: drive scope %ls selected, but no matching drives found - searching all drives",
              KxDriveScopeName(scope));
        return KxDriveScopeName(KX_SCOPE_ALL);
    }
    KxAppendToPrefix(prefix, KX_PREFIX_CHARS, expression);
    return KxDriveScopeName(scope);
}

// One pass over the current input; an abandoned pass leaves the shown results alone.
void KxRunSearchPass(const wchar_t* typed)
{
    wchar_t queryText[KX_QUERY_TEXT_CHARS];
    if (!typed[0] || !KxPrepareQueryText(typed, queryText)) {
        KxClearResults();
        return;
    }
    KxRefreshDrives();
    wchar_t prefix[KX_PREFIX_CHARS];
    int includeFolders = 1;
    const wchar_t* scopeName = KxPreparePrefix(prefix, &includeFolders);

    int capacity = g_settings.maxResults < KX_RESULT_CAPACITY ? g_settings.maxResults : KX_RESULT_CAPACITY;
    KxSearchOutcome files = KxQueryInto(prefix, queryText, L"file:", 0, capacity);
    if (KxPassAbandoned()) return;
    KxSearchOutcome folders{0, 0, 1};
    int folderCapacity = KxFolderCapacity(files.count, g_settings.maxResults);
    // When Everything could not be asked for files it cannot be asked for folders either: no second wait.
    if (includeFolders && folderCapacity > 0 && !g_searchFailureText) {
        folders = KxQueryInto(prefix, queryText, L"folder:", files.count, folderCapacity);
        if (KxPassAbandoned()) return;
    }

    g_resultCount = files.count + folders.count;
    KxCopyResults(g_results, g_queryResults, g_resultCount);
    DWORD total = files.total + folders.total;
    g_resultTotal = total > (DWORD)g_resultCount ? total : (DWORD)g_resultCount;
    KxLog(L"KxRunSearchNow: filter=\"%ls\" scope=%ls typed=\"%ls\" includeFolders=%d -> files=%d(ok=%d) "
          L"folders=%d(ok=%d) total=%d",
          KxSelectedFilter().name, scopeName, typed, includeFolders, files.count, files.ok, folders.count,
          folders.ok, g_resultCount);
    KxShowResults();
}

}  // namespace

void KxRunSearchNow()
{
    if (g_searchRunning) {
        g_searchRestart = 1;
        return;
    }
    g_searchRunning = true;
    do {
        g_searchRestart = 0;
        wchar_t typed[KX_TYPED_TEXT_CHARS] = L"";
        if (g_editWnd) GetWindowTextW(g_editWnd, typed, KX_TYPED_TEXT_CHARS);
        KxRunSearchPass(typed);
    } while (g_searchRestart && KxOverlayShown());
    g_searchRestart = 0;
    g_searchRunning = false;
}
