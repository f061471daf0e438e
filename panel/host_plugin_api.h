#pragma once
#include <windows.h>

// The host's file-system and content plug-in interface, as the host publishes it.

typedef int(__stdcall* KxProgressProc)(int pluginNr, char* sourceName, char* targetName, int percentDone);
typedef void(__stdcall* KxLogProc)(int pluginNr, int messageType, char* logString);
typedef BOOL(__stdcall* KxRequestProc)(int pluginNr, int requestType, char* customTitle, char* customText,
                                       char* returnedText, int maxlen);
typedef int(__stdcall* KxProgressProcW)(int pluginNr, WCHAR* sourceName, WCHAR* targetName, int percentDone);
typedef void(__stdcall* KxLogProcW)(int pluginNr, int messageType, WCHAR* logString);
typedef BOOL(__stdcall* KxRequestProcW)(int pluginNr, int requestType, WCHAR* customTitle, WCHAR* customText,
                                        WCHAR* returnedText, int maxlen);

struct KxRemoteInfo {
    DWORD sizeLow;
    DWORD sizeHigh;
    FILETIME lastWriteTime;
    int attributes;
};

constexpr int FS_FILE_OK = 0;
constexpr int FS_FILE_EXISTS = 1;
constexpr int FS_FILE_NOTFOUND = 2;
constexpr int FS_FILE_READERROR = 3;
constexpr int FS_FILE_WRITEERROR = 4;
constexpr int FS_FILE_NOTSUPPORTED = 6;
constexpr int FS_EXEC_OK = 0;
constexpr int FS_EXEC_ERROR = 1;
constexpr int FS_EXEC_YOURSELF = -1;
constexpr int FS_COPYFLAGS_OVERWRITE = 1;
constexpr int FS_COPYFLAGS_MOVE = 4;

constexpr int ft_nomorefields = 0;
constexpr int ft_string = 8;
// A UTF-16 value, which the Unicode value calls give for fields listed as ft_string.
constexpr int ft_stringw = 11;
constexpr int ft_nosuchfield = -1;

extern "C" {
int __stdcall FsInit(int PluginNr, KxProgressProc progress, KxLogProc log, KxRequestProc request);
void __stdcall FsGetDefRootName(char* DefRootName, int maxlen);
HANDLE __stdcall FsFindFirst(char* Path, WIN32_FIND_DATAA* FindData);
BOOL __stdcall FsFindNext(HANDLE Hdl, WIN32_FIND_DATAA* FindData);
int __stdcall FsFindClose(HANDLE Hdl);
int __stdcall FsGetFile(char* RemoteName, char* LocalName, int CopyFlags, KxRemoteInfo* ri);
int __stdcall FsExecuteFile(HWND MainWin, char* RemoteName, char* Verb);
BOOL __stdcall FsDeleteFile(char* RemoteName);
int __stdcall FsContentGetSupportedField(int FieldIndex, char* FieldName, char* Units, int maxlen);
int __stdcall FsContentGetValue(char* FileName, int FieldIndex, int UnitIndex, void* FieldValue, int maxlen, int flags);
int __stdcall ContentGetSupportedField(int FieldIndex, char* FieldName, char* Units, int maxlen);
int __stdcall ContentGetValue(char* FileName, int FieldIndex, int UnitIndex, void* FieldValue, int maxlen, int flags);
void __stdcall ContentGetDetectString(char* DetectString, int maxlen);

// The Unicode forms, which the host calls instead of the 8-bit ones whenever a plug-in has them; maxlen of
// the value calls counts bytes.
int __stdcall FsInitW(int PluginNr, KxProgressProcW progress, KxLogProcW log, KxRequestProcW request);
HANDLE __stdcall FsFindFirstW(WCHAR* Path, WIN32_FIND_DATAW* FindData);
BOOL __stdcall FsFindNextW(HANDLE Hdl, WIN32_FIND_DATAW* FindData);
int __stdcall FsGetFileW(WCHAR* RemoteName, WCHAR* LocalName, int CopyFlags, KxRemoteInfo* ri);
int __stdcall FsExecuteFileW(HWND MainWin, WCHAR* RemoteName, WCHAR* Verb);
BOOL __stdcall FsDeleteFileW(WCHAR* RemoteName);
int __stdcall FsContentGetValueW(WCHAR* FileName, int FieldIndex, int UnitIndex, void* FieldValue, int maxlen,
                                 int flags);
int __stdcall ContentGetValueW(WCHAR* FileName, int FieldIndex, int UnitIndex, void* FieldValue, int maxlen, int flags);
}
