#include "search/filters.h"

#include <stdio.h>
#include <wchar.h>
#include <windows.h>

#include "config/settings.h"
#include "core/log.h"

KxFilter g_filters[KX_FILTER_CAPACITY] = {{L"<All Files>", L""}};
int g_filterCount = 1;
int g_selectedFilter;

namespace {

constexpr int KX_FILTER_PATH_CHARS = 2048;
constexpr int KX_FILTER_DEBUG_CHARS = 700;

// Used when Everything's own configuration cannot be read.
const KxFilter kBuiltInFilters[] = {
    {L"Audio",
     L"ext:aac;ac3;adt;adts;aif;aifc;aiff;amr;ape;au;cda;dts;ec3;fla;flac;lpcm;m1a;m2a;m3u;m3u8;m4a;m4b;m4p;mid;midi;"
     L"mka;mp2;mp3;mpa;mpc;oga;ogg;opus;ra;rmi;snd;wav;wax;weba;wma"},
    {L"Compressed",
     L"ext:7z;ace;arj;bz2;cab;gz;gzip;jar;r00;r01;r02;r03;r04;r05;r06;r07;r08;r09;r10;r11;r12;r13;r14;r15;r16;r17;r18;"
     L"r19;r20;r21;r22;r23;r24;r25;r26;r27;r28;r29;rar;tar;tgz;z;zip"},
    {L"Document",
     L"ext:asm;c;cc;chm;cpp;cs;css;csv;cxx;doc;docm;docx;dot;dotm;dotx;efu;epub;h;hpp;htm;html;hxx;ini;java;js;json;"
     L"lua;"
     L"md;mht;mhtml;mobi;odp;ods;odt;pdf;php;pl;potm;potx;ppam;pps;ppsm;ppsx;ppt;pptm;pptx;ps1xml;pssc;pub;py;rtf;sldm;"
     L"sldx;sql;tsv;txt;vb;vsd;wpd;wps;wri;xlam;xls;xlsb;xlsm;xlsx;xltm;xltx;xml;xsl"},
    {L"Executable", L"ext:bat;cmd;exe;msi;msp;msu;ps1;scr;vbs"},
    {L"Folder", L"folder:"},
    {L"Picture",
     L"ext:ani;apng;avif;avifs;bmp;bpg;cur;dds;gif;heic;heics;heif;heifs;hif;ico;jfi;jfif;jif;jpe;jpeg;jpg;jxl;jxr;pcx;"
     L"png;psb;psd;svg;tga;tif;tiff;wdp;webp;wmf"},
    {L"Video",
     L"ext:3g2;3gp;3gp2;3gpp;amv;asf;asx;avi;bdmv;bik;d2v;divx;drc;dsa;dsm;dss;dsv;evo;f4v;flc;fli;flic;flv;hdmov;ifo;"
     L"ivf;m1v;m2p;m2t;m2ts;m2v;m4v;mkv;mod;mov;mp2v;mp4;mp4v;mpe;mpeg;mpg;mpls;mpv2;mpv4;mts;ogm;ogv;ogx;pss;pva;qt;"
     L"ram;ratdvd;rm;rmm;rmvb;roq;rpm;smil;smk;swf;tod;tp;tpr;ts;tts;uvu;vob;vp6;webm;wm;wmp;wmv;wmx;wvx"},
};

int KxEqualsIgnoringCase(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

void KxAppendFilter(const wchar_t* name, const wchar_t* search)
{
    if (g_filterCount >= KX_FILTER_CAPACITY) return;
    lstrcpynW(g_filters[g_filterCount].name, name, KX_FILTER_NAME_CHARS);
    lstrcpynW(g_filters[g_filterCount].search, search, KX_FILTER_SEARCH_CHARS);
    g_filterCount++;
}

// Reads one field from line[*at] on; returns 1 when another field follows.
int KxCsvNextField(const wchar_t* line, int* at, wchar_t* out, int capacity)
{
    int limit = capacity < KX_CSV_FIELD_CHARS ? capacity : KX_CSV_FIELD_CHARS;
    int i = *at, kept = 0, more = 0;
    auto keep = [&](wchar_t c) {
        if (kept < limit - 1) out[kept++] = c;
    };
    if (line[i] == L'"') {
        for (++i; line[i]; ++i) {
            if (line[i] != L'"') {
                keep(line[i]);
            } else if (line[i + 1] == L'"') {
                keep(L'"');
                ++i;
            } else {
                // Only a comma right after the closing quote leads to another field.
                more = line[++i] == L',';
                i += more;
                break;
            }
        }
    } else {
        while (line[i] && line[i] != L',') keep(line[i++]);
        more = line[i] == L',';
        i += more;
    }
    out[kept] = L'\0';
    *at = i;
    return more;
}

// Only so much of Everything's files is read: a huge file must not hold an opening of the overlay.
constexpr ULONGLONG KX_FILTER_FILE_LIMIT = 4ull * 1024 * 1024;
// A csv line longer than this is no filter Everything wrote; it is passed over whole.
constexpr int KX_CSV_LINE_CHARS = 65536;

struct KxFileStamp {
    int exists;
    ULONGLONG size;
    ULONGLONG writeTime;
};

// What the table was last built from: the same files, unchanged, give the same table.
struct KxFilterOrigin {
    int built;
    KxFilterSources sources;
    KxFileStamp stamps[KX_FILTER_SOURCE_CAPACITY];
};
KxFilterOrigin g_filterOrigin;

KxFileStamp KxStampOf(const wchar_t* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {0, 0, 0};
    return {1, ((ULONGLONG)data.nFileSizeHigh << 32) | data.nFileSizeLow,
            ((ULONGLONG)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime};
}

int KxSameOrigin(const KxFilterOrigin& a, const KxFilterOrigin& b)
{
    if (!a.built || !b.built || a.sources.count != b.sources.count || a.sources.fromSetting != b.sources.fromSetting)
        return 0;
    for (int i = 0; i < a.sources.count; ++i) {
        const KxFileStamp &x = a.stamps[i], &y = b.stamps[i];
        if (wcscmp(a.sources.items[i].path, b.sources.items[i].path) != 0 ||
            a.sources.items[i].isCsv != b.sources.items[i].isCsv || x.exists != y.exists || x.size != y.size ||
            x.writeTime != y.writeTime)
            return 0;
    }
    return 1;
}

// folder\name; 0 when it does not fit, so a long folder never turns into another path.
int KxComposeConfigPath(const wchar_t* folder, const wchar_t* name, wchar_t* out)
{
    int length = _snwprintf(out, KX_FILTER_PATH_CHARS, L"%ls\\%ls", folder, name);
    if (length < 0 || length >= KX_FILTER_PATH_CHARS) {
        out[0] = L'\0';
        return 0;
    }
    return 1;
}

// Adds folder\name (or name alone without a folder) unless it does not fit.
void KxAddSource(KxFilterSources* sources, const wchar_t* folder, const wchar_t* name, int isCsv)
{
    KxFilterSource& source = sources->items[sources->count];
    source.isCsv = isCsv;
    if (folder) {
        if (!KxComposeConfigPath(folder, name, source.path)) return;
    } else {
        if (wcslen(name) >= (size_t)KX_FILTER_PATH_CHARS) return;
        wcscpy(source.path, name);
    }
    sources->count++;
}

int KxEndsWithIgnoringCase(const wchar_t* text, const wchar_t* end)
{
    size_t length = wcslen(text), endLength = wcslen(end);
    return length >= endLength && KxEqualsIgnoringCase(text + length - endLength, end);
}

// Reads one source; its count as its reader gives it, 0 for a file too large to read.
int KxReadFilterSource(const KxFilterSource& source, const KxFileStamp& stamp)
{
    if (!stamp.exists) return 0;
    if (stamp.size > KX_FILTER_FILE_LIMIT) {
        wchar_t line[KX_FILTER_DEBUG_CHARS];
        _snwprintf(line, KX_FILTER_DEBUG_CHARS, L"Filters: %ls holds %llu bytes, more than %llu - not read.",
                   source.path, stamp.size, KX_FILTER_FILE_LIMIT);
        line[KX_FILTER_DEBUG_CHARS - 1] = L'\0';
        KxDebugLog(line);
        return 0;
    }
    return source.isCsv ? KxReadFiltersCsv(source.path) : KxReadIniFilters(source.path);
}

// The first source that yields filters gives the table's rows.
int KxReadFilterSources(const KxFilterOrigin& origin)
{
    int found = 0;
    for (int i = 0; i < origin.sources.count && found == 0; ++i)
        found = KxReadFilterSource(origin.sources.items[i], origin.stamps[i]);
    if (found == 0 && origin.sources.fromSetting)
        KxDebugLog(
            L"Filters: EverythingIniPath is set but neither an ini [Filters] section nor a filters.csv could be found "
            L"from it. Point EverythingIniPath directly at Everything's actual filters.csv path if this keeps "
            L"happening.");
    return found;
}

// Reads a whole line without its line end; a line longer than the buffer is read to its end, given as
// empty and reported as too long. 0 at the end of the file.
int KxReadWholeLine(FILE* file, wchar_t* line, int capacity, int* tooLong)
{
    wchar_t passedOver[256];
    int length = 0, readAny = 0;
    *tooLong = 0;
    line[0] = L'\0';
    for (;;) {
        if (capacity - length < 2) *tooLong = 1;
        wchar_t* piece = *tooLong ? passedOver : line + length;
        if (!fgetws(piece, *tooLong ? 256 : capacity - length, file)) break;
        readAny = 1;
        int pieceLength = (int)wcslen(piece);
        if (!*tooLong) length += pieceLength;
        if (pieceLength > 0 && piece[pieceLength - 1] == L'\n') break;
    }
    if (*tooLong) length = 0;
    while (length > 0 && (line[length - 1] == L'\r' || line[length - 1] == L'\n')) --length;
    line[length] = L'\0';
    return readAny;
}

void KxDebugLogFilterTable(int found)
{
    if (!g_settings.everythingDebug) return;
    wchar_t line[KX_FILTER_DEBUG_CHARS];
    _snwprintf(line, KX_FILTER_DEBUG_CHARS, L"Filters: loaded %d from Everything's own config.", found);
    line[KX_FILTER_DEBUG_CHARS - 1] = L'\0';
    KxDebugLog(line);
    for (int i = 0; i < g_filterCount; ++i) {
        _snwprintf(line, KX_FILTER_DEBUG_CHARS, L"  Filter[%d] \"%ls\" -> [%ls]", i, g_filters[i].name,
                   g_filters[i].search);
        line[KX_FILTER_DEBUG_CHARS - 1] = L'\0';
        KxDebugLog(line);
    }
}

}  // namespace

const KxFilter& KxSelectedFilter()
{
    int selected = (g_selectedFilter >= 0 && g_selectedFilter < g_filterCount) ? g_selectedFilter : 0;
    return g_filters[selected];
}

int KxCsvField(const wchar_t* line, int field, wchar_t* out, int capacity)
{
    wchar_t skipped[KX_CSV_FIELD_CHARS];
    int at = 0;
    for (int number = 1;; ++number) {
        int more =
            KxCsvNextField(line, &at, number == field ? out : skipped, number == field ? capacity : KX_CSV_FIELD_CHARS);
        if (number == field) return 1;
        if (!more) break;
    }
    out[0] = L'\0';
    return 0;
}

int KxCsvSearchColumn(const wchar_t* headerLine)
{
    wchar_t field[KX_CSV_FIELD_CHARS];
    int at = 0;
    for (int number = 1;; ++number) {
        int more = KxCsvNextField(headerLine, &at, field, KX_CSV_FIELD_CHARS);
        if (KxEqualsIgnoringCase(field, L"Search")) return number;
        if (!more) return KX_CSV_DEFAULT_SEARCH_FIELD;
    }
}

int KxFindFilterByName(const KxFilter* filters, int count, const wchar_t* name)
{
    for (int i = 0; i < count; ++i)
        if (KxEqualsIgnoringCase(filters[i].name, name)) return i;
    return 0;
}

void KxCsvNameBesideIni(const wchar_t* iniName, wchar_t* out, int capacity)
{
    // Everything<suffix>.ini keeps its filters in Filters<suffix>.csv (1.5a: Everything-1.5a.ini).
    size_t length = wcslen(iniName);
    int named = length >= 14 && _wcsnicmp(iniName, L"Everything", 10) == 0 && KxEndsWithIgnoringCase(iniName, L".ini");
    int suffix = named ? (int)length - 14 : 0;
    if (suffix == 0)
        _snwprintf(out, capacity, L"filters.csv");
    else
        _snwprintf(out, capacity, L"Filters%.*ls.csv", suffix, iniName + 10);
    out[capacity - 1] = L'\0';
}

void KxFilterSourcesFor(const wchar_t* setting, int settingIsFolder, const wchar_t* appData, KxFilterSources* sources)
{
    sources->count = 0;
    sources->fromSetting = setting[0] && !KxEqualsIgnoringCase(setting, L"Auto");
    if (sources->fromSetting) {
        if (settingIsFolder) {
            KxAddSource(sources, setting, L"Everything.ini", 0);
            KxAddSource(sources, setting, L"filters.csv", 1);
        } else if (KxEndsWithIgnoringCase(setting, L".csv")) {
            KxAddSource(sources, nullptr, setting, 1);
        } else {
            KxAddSource(sources, nullptr, setting, 0);
            const wchar_t* slash = wcsrchr(setting, L'\\');
            if (!slash) return;
            wchar_t folder[KX_FILTER_PATH_CHARS], csvName[KX_FILTER_NAME_CHARS];
            lstrcpynW(folder, setting, (int)(slash - setting) + 1);
            KxCsvNameBesideIni(slash + 1, csvName, KX_FILTER_NAME_CHARS);
            KxAddSource(sources, folder, csvName, 1);
        }
        return;
    }
    wchar_t folder[KX_FILTER_PATH_CHARS];
    if (!appData[0] || !KxComposeConfigPath(appData, L"Everything", folder)) return;
    KxAddSource(sources, folder, L"Everything.ini", 0);
    KxAddSource(sources, folder, L"filters.csv", 1);
}

int KxReadIniFilters(const wchar_t* path)
{
    int found = 0;
    for (int i = 1; g_filterCount < KX_FILTER_CAPACITY; ++i) {
        wchar_t key[32], name[KX_FILTER_NAME_CHARS], search[KX_FILTER_SEARCH_CHARS];
        _snwprintf(key, 32, L"Filter%d_Name", i);
        GetPrivateProfileStringW(L"Filters", key, L"", name, KX_FILTER_NAME_CHARS, path);
        if (!name[0]) break;
        _snwprintf(key, 32, L"Filter%d_Search", i);
        GetPrivateProfileStringW(L"Filters", key, L"", search, KX_FILTER_SEARCH_CHARS, path);
        KxAppendFilter(name, search);
        found++;
    }
    return found;
}

int KxReadFiltersCsv(const wchar_t* path)
{
    FILE* file = _wfopen(path, L"r, ccs=UTF-8");
    if (!file) return 0;
    static wchar_t line[KX_CSV_LINE_CHARS];  // one reader at a time: the thread that opens the overlay
    int found = 0, firstLine = 1, tooLong = 0, passedOver = 0;
    // Everything 1.5 keeps the search text in field 11; 1.4 names its column in the header.
    int searchField = KX_CSV_DEFAULT_SEARCH_FIELD;
    while (g_filterCount < KX_FILTER_CAPACITY && KxReadWholeLine(file, line, KX_CSV_LINE_CHARS, &tooLong)) {
        passedOver += tooLong;
        // A byte-order mark the runtime left in place must not hide the header.
        const wchar_t* text = (firstLine && line[0] == 0xFEFF) ? line + 1 : line;
        if (!text[0]) continue;
        wchar_t name[KX_FILTER_NAME_CHARS], search[KX_FILTER_SEARCH_CHARS];
        KxCsvField(text, 1, name, KX_FILTER_NAME_CHARS);
        if (firstLine) {
            firstLine = 0;
            if (KxEqualsIgnoringCase(name, L"name")) {
                searchField = KxCsvSearchColumn(text);
                continue;
            }
        }
        KxCsvField(text, searchField, search, KX_FILTER_SEARCH_CHARS);
        if (!name[0]) continue;
        KxAppendFilter(name, search);
        found++;
    }
    fclose(file);
    if (passedOver) {
        wchar_t message[KX_FILTER_DEBUG_CHARS];
        _snwprintf(message, KX_FILTER_DEBUG_CHARS, L"Filters: %d lines of %ls longer than %d characters passed over.",
                   passedOver, path, KX_CSV_LINE_CHARS - 2);
        message[KX_FILTER_DEBUG_CHARS - 1] = L'\0';
        KxDebugLog(message);
    }
    return found;
}

void KxLoadFilters()
{
    KxFilterOrigin origin{};
    const wchar_t* setting = g_settings.everythingIniPath;
    DWORD attributes = GetFileAttributesW(setting);
    int isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    wchar_t appData[KX_FILTER_PATH_CHARS];
    DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, KX_FILTER_PATH_CHARS);
    if (length == 0 || length >= (DWORD)KX_FILTER_PATH_CHARS) appData[0] = L'\0';
    KxFilterSourcesFor(setting, isFolder, appData, &origin.sources);
    for (int i = 0; i < origin.sources.count; ++i) origin.stamps[i] = KxStampOf(origin.sources.items[i].path);
    origin.built = 1;
    // Files unchanged since the last opening give the same table: nothing is read again.
    if (!KxSameOrigin(origin, g_filterOrigin)) {
        g_filterCount = 0;
        KxAppendFilter(L"<All Files>", L"");
        int found = KxReadFilterSources(origin);
        if (found > 0) {
            KxDebugLogFilterTable(found);
        } else {
            KxDebugLog(
                L"Filters: could not read Everything's own config, using built-in defaults. Set [Everything] "
                L"EverythingIniPath= in Korvex.cfg if Everything is a portable install.");
            for (const KxFilter& filter : kBuiltInFilters) KxAppendFilter(filter.name, filter.search);
        }
        g_filterOrigin = origin;
    }
    g_selectedFilter = g_settings.lastSelectedFilter[0]
                           ? KxFindFilterByName(g_filters, g_filterCount, g_settings.lastSelectedFilter)
                           : 0;
}
