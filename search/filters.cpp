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
constexpr int KX_CSV_LINE_CHARS = 2048;
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

int KxFileExists(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
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

int KxReadCsvIfPresent(const wchar_t* folder, const wchar_t* name)
{
    wchar_t csv[KX_FILTER_PATH_CHARS];
    return KxComposeConfigPath(folder, name, csv) && KxFileExists(csv) ? KxReadFiltersCsv(csv) : 0;
}

int KxEndsWithNoCase(const wchar_t* text, const wchar_t* end)
{
    size_t length = wcslen(text), endLength = wcslen(end);
    return length >= endLength && _wcsicmp(text + length - endLength, end) == 0;
}

// The filter list beside an ini: Everything 1.5 under an instance name keeps Everything-<name>.ini
// with Filters-<name>.csv beside it.
void KxCsvNameBesideIni(const wchar_t* iniName, wchar_t* csvName, int capacity)
{
    size_t length = wcslen(iniName);
    if (_wcsnicmp(iniName, L"Everything-", 11) == 0 && KxEndsWithNoCase(iniName, L".ini") && length > 15)
        _snwprintf(csvName, capacity, L"Filters-%.*ls.csv", (int)(length - 15), iniName + 11);
    else
        _snwprintf(csvName, capacity, L"filters.csv");
    csvName[capacity - 1] = L'\0';
}

// EverythingIniPath names Everything's folder, its ini, or its filters.csv.
int KxReadFiltersFromSetting(const wchar_t* setting)
{
    if (wcslen(setting) >= (size_t)KX_FILTER_PATH_CHARS) {
        KxDebugLog(L"Filters: EverythingIniPath is too long for a path - not read.");
        return 0;
    }
    // Any csv the user names is read as Everything's filter list, whatever it is called.
    if (KxEndsWithNoCase(setting, L".csv")) return KxFileExists(setting) ? KxReadFiltersCsv(setting) : 0;
    wchar_t path[KX_FILTER_PATH_CHARS];
    lstrcpynW(path, setting, KX_FILTER_PATH_CHARS);
    wchar_t folder[KX_FILTER_PATH_CHARS] = L"";
    wchar_t csvName[KX_FILTER_PATH_CHARS] = L"filters.csv";
    int hasFolder = 0, found = 0;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        lstrcpynW(folder, path, KX_FILTER_PATH_CHARS);
        hasFolder = 1;
        wchar_t ini[KX_FILTER_PATH_CHARS];
        if (KxComposeConfigPath(folder, L"Everything.ini", ini)) found = KxReadIniFilters(ini);
    } else {
        found = KxReadIniFilters(path);
        const wchar_t* slash = wcsrchr(path, L'\\');
        if (slash) {
            hasFolder = 1;
            lstrcpynW(folder, path, (int)(slash - path) + 1);
            KxCsvNameBesideIni(slash + 1, csvName, KX_FILTER_PATH_CHARS);
        }
    }
    if (found == 0 && hasFolder) found = KxReadCsvIfPresent(folder, csvName);
    if (found == 0)
        KxDebugLog(
            L"Filters: EverythingIniPath is set but neither an ini [Filters] section nor a filters.csv could be found "
            L"from it. Point EverythingIniPath directly at Everything's actual filters.csv path if this keeps "
            L"happening.");
    return found;
}

int KxReadFiltersFromAppData()
{
    wchar_t appData[KX_FILTER_PATH_CHARS];
    DWORD length = GetEnvironmentVariableW(L"APPDATA", appData, KX_FILTER_PATH_CHARS);
    if (length == 0 || length >= KX_FILTER_PATH_CHARS) return 0;
    wchar_t folder[KX_FILTER_PATH_CHARS], ini[KX_FILTER_PATH_CHARS];
    if (!KxComposeConfigPath(appData, L"Everything", folder)) return 0;
    int found = 0;
    if (KxComposeConfigPath(folder, L"Everything.ini", ini) && KxFileExists(ini)) found = KxReadIniFilters(ini);
    return found ? found : KxReadCsvIfPresent(folder, L"filters.csv");
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

int KxReadIniFilters(const wchar_t* path)
{
    for (int i = 1; i <= KX_FILTER_CAPACITY; ++i) {
        wchar_t key[32], name[KX_FILTER_NAME_CHARS], search[KX_FILTER_SEARCH_CHARS];
        _snwprintf(key, 32, L"Filter%d_Name", i);
        GetPrivateProfileStringW(L"Filters", key, L"", name, KX_FILTER_NAME_CHARS, path);
        if (!name[0]) return i - 1;
        _snwprintf(key, 32, L"Filter%d_Search", i);
        GetPrivateProfileStringW(L"Filters", key, L"", search, KX_FILTER_SEARCH_CHARS, path);
        KxAppendFilter(name, search);
    }
    return KX_FILTER_CAPACITY;
}

int KxReadFiltersCsv(const wchar_t* path)
{
    FILE* file = _wfopen(path, L"r, ccs=UTF-8");
    if (!file) return 0;
    wchar_t line[KX_CSV_LINE_CHARS];
    int found = 0, firstLine = 1;
    // Everything 1.5 keeps the search text in field 11; 1.4 names its column in the header.
    int searchField = KX_CSV_DEFAULT_SEARCH_FIELD;
    while (fgetws(line, KX_CSV_LINE_CHARS, file)) {
        int length = (int)wcslen(line);
        while (length > 0 && (line[length - 1] == L'\r' || line[length - 1] == L'\n')) line[--length] = L'\0';
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
    return found;
}

void KxLoadFilters()
{
    g_filterCount = 0;
    KxAppendFilter(L"<All Files>", L"");
    const wchar_t* iniSetting = g_settings.everythingIniPath;
    int found = (iniSetting[0] && !KxEqualsIgnoringCase(iniSetting, L"Auto")) ? KxReadFiltersFromSetting(iniSetting)
                                                                              : KxReadFiltersFromAppData();
    if (found > 0) {
        KxDebugLogFilterTable(found);
    } else {
        KxDebugLog(
            L"Filters: could not read Everything's own config, using built-in defaults. Set [Everything] "
            L"EverythingIniPath= in Korvex.cfg if Everything is a portable install.");
        for (const KxFilter& filter : kBuiltInFilters) KxAppendFilter(filter.name, filter.search);
    }
    g_selectedFilter = g_settings.lastSelectedFilter[0]
                           ? KxFindFilterByName(g_filters, g_filterCount, g_settings.lastSelectedFilter)
                           : 0;
}
