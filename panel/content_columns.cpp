#include "panel/content_columns.h"

#include <string.h>
#include <wchar.h>

#include "core/log.h"
#include "panel/ansi_text.h"
#include "panel/host_plugin_api.h"
#include "panel/virtual_folder.h"

volatile LONG g_contentLogQuiet;

namespace {

// Any real path in the code page: up to two bytes a character.
constexpr int KX_VALUE_BYTES = 2 * KX_PATH_CHARS;

enum KxContentField { KX_FIELD_STATUS = 0, KX_FIELD_PATH = 1 };

// The two field lists: the content family shows both, the file-system family the path only.
const char* const kContentFieldNames[] = {"KX Status", "Path"};
const KxContentField kContentFields[] = {KX_FIELD_STATUS, KX_FIELD_PATH};
const char* const kFsFieldNames[] = {"Path"};
const KxContentField kFsFields[] = {KX_FIELD_PATH};

int KxDescribeField(int index, const char* const* names, int count, char* fieldName, char* units, int maxlen)
{
    if (index < 0 || index >= count) return ft_nomorefields;
    if (fieldName && maxlen > 0) lstrcpynA(fieldName, names[index], maxlen);
    if (units && maxlen > 0) units[0] = '\0';
    return ft_string;
}

// The value in UTF-16; out holds KX_PATH_CHARS. The file-system family names an item of the virtual folder
// by its whole path, so an item below a published folder shows its own real path.
void KxComposeFieldValue(KxContentField field, int virtualName, const wchar_t* fileName, wchar_t* value)
{
    value[0] = L'\0';
    if (field == KX_FIELD_STATUS) {
        lstrcpynW(value, L"Active", KX_PATH_CHARS);
        return;
    }
    if (virtualName && fileName && fileName[0] == L'\\') {
        int isFolder = 0;
        if (!KxResolveVirtualPath(fileName, value, &isFolder)) value[0] = L'\0';
        return;
    }
    KxPublishedEntry entry;
    if (KxFindPublishedEntryByName(fileName, &entry)) lstrcpynW(value, entry.path, KX_PATH_CHARS);
}

void KxNoteFirstValueCall(const wchar_t* exportName, int fieldIndex)
{
    if (InterlockedExchange(&g_contentLogQuiet, 1) == 0)
        KxLog(L"%ls(FieldIndex=%d) - first call, further calls not logged", exportName, fieldIndex);
}

int KxAnswerValue(const wchar_t* exportName, const KxContentField* fields, int count, const char* ansiFileName,
                  int index, void* fieldValue, int maxlen)
{
    KxNoteFirstValueCall(exportName, index);
    wchar_t wide[KX_HOST_TEXT_CHARS];
    const wchar_t* fileName = KxHostTextToWide(ansiFileName, wide);
    if (index < 0 || index >= count) return ft_nosuchfield;
    wchar_t value[KX_PATH_CHARS];
    KxComposeFieldValue(fields[index], fields == kFsFields, fileName, value);
    char ansi[KX_VALUE_BYTES];
    // Missing characters show as '?', never as another path's letters; the host's buffer may cut the text.
    if (KxWideToAnsi(value, ansi, KX_VALUE_BYTES) < 0) ansi[0] = '\0';
    if (fieldValue && maxlen > 0) KxCopyAnsiCut(ansi, (char*)fieldValue, maxlen);
    return ft_string;
}

int KxAnswerValueW(const wchar_t* exportName, const KxContentField* fields, int count, const wchar_t* fileName,
                   int index, void* fieldValue, int maxlen)
{
    KxNoteFirstValueCall(exportName, index);
    if (index < 0 || index >= count) return ft_nosuchfield;
    wchar_t value[KX_PATH_CHARS];
    KxComposeFieldValue(fields[index], fields == kFsFields, fileName, value);
    int capacity = maxlen / (int)sizeof(wchar_t);
    if (fieldValue && capacity > 0) KxCopyWideCut(value, (wchar_t*)fieldValue, capacity);
    return ft_stringw;
}

}  // namespace

int KxFindPublishedEntryByName(const wchar_t* fileName, KxPublishedEntry* entry)
{
    if (!fileName) return 0;
    const wchar_t* separator = wcsrchr(fileName, L'\\');
    const wchar_t* lastComponent = separator ? separator + 1 : fileName;
    // A longer name is no entry's: names are never cut to match.
    if (wcsnlen(lastComponent, KX_PUBLISHED_NAME_CHARS) > KX_NAME_MAX_CHARS) return 0;
    return KxFindPublishedEntryNamed(lastComponent, 0, entry);
}

int __stdcall ContentGetSupportedField(int FieldIndex, char* FieldName, char* Units, int maxlen)
{
    if (!g_contentLogQuiet) KxLog(L"ContentGetSupportedField(FieldIndex=%d)", FieldIndex);
    return KxDescribeField(FieldIndex, kContentFieldNames, 2, FieldName, Units, maxlen);
}

int __stdcall FsContentGetSupportedField(int FieldIndex, char* FieldName, char* Units, int maxlen)
{
    if (!g_contentLogQuiet) KxLog(L"FsContentGetSupportedField(FieldIndex=%d)", FieldIndex);
    return KxDescribeField(FieldIndex, kFsFieldNames, 1, FieldName, Units, maxlen);
}

int __stdcall ContentGetValue(char* FileName, int FieldIndex, int, void* FieldValue, int maxlen, int)
{
    return KxAnswerValue(L"ContentGetValue", kContentFields, 2, FileName, FieldIndex, FieldValue, maxlen);
}

int __stdcall ContentGetValueW(WCHAR* FileName, int FieldIndex, int, void* FieldValue, int maxlen, int)
{
    return KxAnswerValueW(L"ContentGetValue", kContentFields, 2, FileName, FieldIndex, FieldValue, maxlen);
}

int __stdcall FsContentGetValue(char* FileName, int FieldIndex, int, void* FieldValue, int maxlen, int)
{
    return KxAnswerValue(L"FsContentGetValue", kFsFields, 1, FileName, FieldIndex, FieldValue, maxlen);
}

int __stdcall FsContentGetValueW(WCHAR* FileName, int FieldIndex, int, void* FieldValue, int maxlen, int)
{
    return KxAnswerValueW(L"FsContentGetValue", kFsFields, 1, FileName, FieldIndex, FieldValue, maxlen);
}

void __stdcall ContentGetDetectString(char* DetectString, int maxlen)
{
    KxLog(L"ContentGetDetectString(maxlen=%d)", maxlen);
    // No restriction to particular files.
    if (DetectString && maxlen > 0) DetectString[0] = '\0';
}
