#include "panel/content_columns.h"

#include <string.h>

#include "core/log.h"
#include "panel/ansi_text.h"
#include "panel/host_plugin_api.h"

volatile LONG g_contentLogQuiet;

namespace {

constexpr int KX_VALUE_BYTES = 2048;

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

void KxComposeFieldValue(KxContentField field, const char* fileName, char* value)
{
    value[0] = '\0';
    if (field == KX_FIELD_STATUS) {
        lstrcpynA(value, "Active", KX_VALUE_BYTES);
        return;
    }
    KxPublishedEntry entry;
    if (KxFindPublishedEntryByName(fileName, &entry)) KxWideToAnsi(entry.path, value, KX_VALUE_BYTES);
}

int KxAnswerValue(const KxContentField* fields, int count, const char* fileName, int index, void* fieldValue,
                  int maxlen)
{
    if (index < 0 || index >= count) return ft_nosuchfield;
    char value[KX_VALUE_BYTES];
    KxComposeFieldValue(fields[index], fileName, value);
    if (fieldValue && maxlen > 0) lstrcpynA((char*)fieldValue, value, maxlen);
    return ft_string;
}

}  // namespace

int KxFindPublishedEntryByName(const char* fileName, KxPublishedEntry* entry)
{
    if (!fileName) return 0;
    // A trail byte of a double-byte character that looks like a backslash is no separator.
    const char* lastComponent = fileName;
    for (int i = 0; fileName[i] && i < KX_HOST_TEXT_BYTES_MAX; ++i) {
        if (IsDBCSLeadByte((BYTE)fileName[i]) && fileName[i + 1]) {
            ++i;
        } else if (fileName[i] == '\\') {
            lastComponent = fileName + i + 1;
        }
    }
    wchar_t name[KX_PUBLISHED_NAME_CHARS];
    KxAnsiToWide(lastComponent, name, KX_PUBLISHED_NAME_CHARS);
    return KxFindPublishedEntryNamed(name, 0, entry);
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
    if (InterlockedExchange(&g_contentLogQuiet, 1) == 0)
        KxLog(L"ContentGetValue(FieldIndex=%d) - first call, further calls not logged", FieldIndex);
    return KxAnswerValue(kContentFields, 2, FileName, FieldIndex, FieldValue, maxlen);
}

int __stdcall FsContentGetValue(char* FileName, int FieldIndex, int, void* FieldValue, int maxlen, int)
{
    if (InterlockedExchange(&g_contentLogQuiet, 1) == 0)
        KxLog(L"FsContentGetValue(FieldIndex=%d) - first call, further calls not logged", FieldIndex);
    return KxAnswerValue(kFsFields, 1, FileName, FieldIndex, FieldValue, maxlen);
}

void __stdcall ContentGetDetectString(char* DetectString, int maxlen)
{
    KxLog(L"ContentGetDetectString(maxlen=%d)", maxlen);
    // No restriction to particular files.
    if (DetectString && maxlen > 0) DetectString[0] = '\0';
}
