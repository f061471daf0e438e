#pragma once
#include <windows.h>

// What the plug-in relies on from Total Commander, in one place.
constexpr const wchar_t* KX_HOST_WINDOW_CLASS = L"TTOTAL_CMD";
constexpr UINT KX_WM_HOST_COMMAND = WM_USER + 51;  // wParam: command number, lParam: 0
constexpr WPARAM KX_CM_GOTO_PREVIOUS_DIR = 570;
constexpr WPARAM KX_CM_COPY_SRC_PATH_TO_CLIP = 2029;
constexpr WPARAM KX_CM_VIEW = 903;
constexpr WPARAM KX_CM_EDIT = 904;
constexpr ULONG_PTR KX_COPYDATA_CHANGE_DIR = 0x4443;  // "CD"

// Where the host may say its wincmd.ini lies (a string value, used unexpanded).
constexpr const wchar_t* KX_HOST_REGISTRY_KEY = L"Software\\Ghisler\\Total Commander";
constexpr const wchar_t* KX_HOST_REGISTRY_INI_VALUE = L"IniFileName";

// Thread message from FsInit: the host entered our folder on a cold load.
constexpr UINT WM_KX_AUTOOPEN_OVERLAY = WM_USER + 300;
