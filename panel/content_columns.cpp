#include "core/log.h"
#include "panel/host_plugin_api.h"

// Until results can be published there are no fields to show.
int __stdcall FsContentGetSupportedField(int, char*, char*, int)
{
    return ft_nomorefields;
}

int __stdcall FsContentGetValue(char*, int, int, void*, int, int)
{
    return ft_nosuchfield;
}

int __stdcall ContentGetSupportedField(int, char*, char*, int)
{
    return ft_nomorefields;
}

int __stdcall ContentGetValue(char*, int, int, void*, int, int)
{
    return ft_nosuchfield;
}

void __stdcall ContentGetDetectString(char* DetectString, int maxlen)
{
    KxLog(L"ContentGetDetectString(maxlen=%d)", maxlen);
    // No restriction to particular files.
    if (DetectString && maxlen > 0) DetectString[0] = '\0';
}
