#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "host/host_window.h"
#include "panel/published_set.h"

// One hit to install as a current search result.
struct KxtHit {
    std::wstring path;
    ULONGLONG size = 0;
    ULONGLONG date = 0;
    int isFolder = 0;
};

// The published set empty, a log of its own, delete off, and the host stand-in to receive "CD" commands.
struct PanelFixture : ::testing::Test {
    std::wstring folder;
    KxtHost* host = nullptr;

    void SetUp() override;
    std::wstring LogPath() const { return folder + L"Korvex.log"; }
    int LogCount(const std::string& text) const;
    // Installs the hits as g_results.
    void SetResults(const std::vector<KxtHit>& hits);
    void Publish(const std::vector<KxtHit>& hits, const std::vector<int>* indices = nullptr, int append = 0);
    // Empties the record of names given, which the process keeps for its whole life.
    static void ForgetGivenNames();
};

// A real tree and three published hits: report.pdf and report (2).pdf (files), Photos (a folder holding
// a.jpg, a hidden and system file .hidden, 2024\b.jpg, 2024\c.jpg and the empty folder empty).
struct PublishedTreeFixture : PanelFixture {
    std::wstring tree;
    void SetUp() override;
    std::string Ansi(const std::wstring& relative) const;  // the tree's real path of an item, ANSI
};

std::vector<WIN32_FIND_DATAA> KxtListVirtualFolder(const char* path);
std::vector<WIN32_FIND_DATAW> KxtListVirtualFolder(const wchar_t* path);
std::vector<std::string> KxtFileNames(const std::vector<WIN32_FIND_DATAA>& entries, bool sorted = false);
std::vector<std::string> KxtPublishedNames();
ULONGLONG KxtTimeOf(const FILETIME& time);

constexpr ULONGLONG KXT_REPORT_DATE = 133500000000000000ull;
constexpr ULONGLONG KXT_PHOTOS_DATE = 133400000000000000ull;
constexpr char KXT_FOLDER_PLACEHOLDER[] =
    "This folder could not be opened - go back to the root and re-run your search.txt";
