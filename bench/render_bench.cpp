// Times a full repaint of a 500-hit result list with the typed words highlighted: the header strip
// and every row drawn into one memory bitmap, as the overlay would if all rows were in view.
#include <windows.h>

#include "bench/bench_clock.h"

#include <cstdio>
#include <vector>

#include "config/theme.h"
#include "overlay/overlay_window.h"
#include "overlay/result_rows.h"
#include "search/search_composition.h"

namespace {

constexpr int KX_FRAMES = 30;
constexpr int KX_LIST_WIDTH = 900;

const wchar_t* const kExtensions[] = {L".pdf", L".txt", L".docx", L".md", L".png", L".cpp", L".h", L".xlsx"};

void KxFillResults()
{
    for (int i = 0; i < KX_RESULT_CAPACITY; ++i) {
        KxResult& result = g_results[i];
        _snwprintf(result.path, KX_PATH_CHARS, L"C:\\Users\\someone\\Documents\\Projects\\Area %d\\readme-%d%ls",
                   i % 37, i, kExtensions[i % 8]);
        result.size = 1000ull * i * i;
        result.dateModified = 133500000000000000ull + 8640000000ull * i;
        result.isFolder = i % 50 == 49;
    }
    g_resultCount = KX_RESULT_CAPACITY;
    g_resultTotal = 56789;
}

double KxDrawFrame(HDC dc)
{
    double start = KxNowMs();
    KxDrawHeaderStrip(dc);
    for (int i = 0; i < g_resultCount; ++i) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_LISTBOX;
        item.CtlID = KX_ID_LIST;
        item.itemID = (UINT)i;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = i == 0 ? ODS_SELECTED : 0;
        item.hwndItem = g_listWnd;
        item.hDC = dc;
        int top = g_headerRect.bottom + i * g_theme.rowHeight;
        item.rcItem = RECT{0, top, KX_LIST_WIDTH, top + g_theme.rowHeight};
        KxDrawResultRow(&item);
    }
    GdiFlush();
    return KxNowMs() - start;
}

}  // namespace

int wmain()
{
    KxApplyTheme();
    g_editWnd = CreateWindowExW(0, L"EDIT", L"re ad", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
    g_listWnd = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_OWNERDRAWFIXED | LBS_NODATA, 0, 0, KX_LIST_WIDTH,
                                400, nullptr, nullptr, nullptr, nullptr);
    KxFillResults();
    KxMeasureTextColumns();
    g_headerRect = RECT{0, 0, KX_LIST_WIDTH, g_theme.headerHeight};
    int height = g_theme.headerHeight + KX_RESULT_CAPACITY * g_theme.rowHeight;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, KX_LIST_WIDTH, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HGDIOBJ oldFont = SelectObject(memory, g_theme.font);  // as the list's DC holds its font while it paints
    KxDrawFrame(memory);  // warm-up: shell icons and fonts
    std::vector<double> frames;
    for (int frame = 0; frame < KX_FRAMES; ++frame) frames.push_back(KxDrawFrame(memory));
    SelectObject(memory, oldFont);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    KxFigures figures = KxSummarise(frames);
    printf("Result list repaint, 500 hits with \"re ad\" highlighted, %d x %d px:\n", KX_LIST_WIDTH, height);
    printf("  %-44s median %.1f ms, p90 %.1f ms, min %.1f ms (%d frames)\n", "full repaint (header + 500 rows):",
           figures.median, figures.p90, figures.min, KX_FRAMES);
    printf("  %-44s %.3f ms\n", "per row (median frame / 500):", figures.median / KX_RESULT_CAPACITY);
    fflush(stdout);
    return 0;
}
