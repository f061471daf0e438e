#include "panel/host_plugin_api.h"

// Nothing is published yet, so no virtual name resolves to a real file.
int __stdcall FsGetFile(char*, char*, int, KxRemoteInfo*)
{
    return FS_FILE_NOTFOUND;
}

int __stdcall FsExecuteFile(HWND, char*, char*)
{
    return FS_EXEC_ERROR;
}

BOOL __stdcall FsDeleteFile(char*)
{
    return FALSE;
}
