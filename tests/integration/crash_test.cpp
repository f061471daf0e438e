#include <gtest/gtest.h>

#include "host/plugin_loader.h"
#include "support/test_support.h"

namespace {

const DWORD kHostCustomCode = 0xE0001234;
const DWORD kHostInformationalCode = 0x40001234;
// A system error status of the host's own, which it handles itself.
const DWORD kHostErrorCode = 0xC0001234;

// The host's own handling: registered last, it lets every exception raised by this test continue,
// and moves a thread that faulted inside the plug-in to a clean exit.
volatile LONG g_faultedThreads;

void KxtExitFaultingThread()
{
    ExitThread(0);
}

// Continues the faulting thread in KxtExitFaultingThread as if it had been called with the stack at
// stackTop (aligned as a call leaves it).
void KxtResumeInExit(CONTEXT* context, ULONG_PTR stackTop)
{
#ifdef _WIN64
    context->Rsp = (stackTop & ~(ULONG_PTR)15) - 8;
    context->Rip = (ULONG_PTR)&KxtExitFaultingThread;
#else
    context->Esp = (stackTop & ~(ULONG_PTR)15) - 4;
    context->Eip = (ULONG_PTR)&KxtExitFaultingThread;
#endif
}

LONG CALLBACK KxtHostHandler(EXCEPTION_POINTERS* pointers)
{
    DWORD code = pointers->ExceptionRecord->ExceptionCode;
    // A breakpoint's thread also ends there: 32-bit Wine leaves the instruction pointer one byte back,
    // inside the call that raised it, where continuing would run half an instruction.
    bool faulted = code == EXCEPTION_ACCESS_VIOLATION && pointers->ExceptionRecord->NumberParameters >= 2;
    if (faulted || code == EXCEPTION_BREAKPOINT) {
        if (faulted) InterlockedIncrement(&g_faultedThreads);
#ifdef _WIN64
        KxtResumeInExit(pointers->ContextRecord, pointers->ContextRecord->Rsp);
#else
        KxtResumeInExit(pointers->ContextRecord, pointers->ContextRecord->Esp);
#endif
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (code == EXCEPTION_ACCESS_VIOLATION || code == kHostCustomCode ||
        code == kHostInformationalCode || code == kHostErrorCode)
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

DWORD WINAPI KxtRaiseBreakpoint(LPVOID)
{
    RaiseException(EXCEPTION_BREAKPOINT, 0, 0, nullptr);
    return 1;
}

DWORD WINAPI KxtWriteThroughBadPointer(LPVOID detectString)
{
    ((KxtContentGetDetectStringProc)detectString)((char*)16, 8);
    return 1;
}

struct CrashFixture : ::testing::Test {
    KxtPlugin plugin{};
    PVOID handler = nullptr;

    void SetUp() override
    {
        plugin = KxtLoadPlugin(KxtPreparePluginFolder());
        ASSERT_NE(plugin.module, nullptr);
        ASSERT_TRUE(KxtWaitForLogLine(plugin.LogPath(), "Background thread started"));
        // The defaults are written after the Logging key was read: from then on the log's gate is shut.
        ASSERT_TRUE(KxtWaitUntil([&] { return KxtFileExists(plugin.ConfigPath()); }));
        ASSERT_TRUE(KxtWaitForStartupEnd());
        handler = AddVectoredExceptionHandler(0, KxtHostHandler);
    }
    void TearDown() override
    {
        if (handler) RemoveVectoredExceptionHandler(handler);
    }
    std::vector<std::string> ExceptionLines() const
    {
        std::vector<std::string> found;
        for (const std::string& line : KxtReadLogLines(plugin.LogPath()))
            if (line.find("*** EXCEPTION ***") != std::string::npos) found.push_back(line);
        return found;
    }
};

}  // namespace

TEST_F(CrashFixture, HostAccessViolationIsLoggedOnceAsOutside)
{
    RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
    std::vector<std::string> lines = ExceptionLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("*** EXCEPTION *** code=0xC0000005 addr="), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("[outside Korvex] (pid=" + std::to_string(GetCurrentProcessId()) + ")"),
              std::string::npos)
        << lines[0];
    EXPECT_EQ(lines[0].find(KxtUtf8(KXT_PLUGIN_NAME)), std::string::npos) << lines[0];
}

TEST_F(CrashFixture, HostBreakpointsAndCustomCodesAreNotLogged)
{
    HANDLE thread = CreateThread(nullptr, 0, KxtRaiseBreakpoint, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
    RaiseException(kHostCustomCode, 0, 0, nullptr);
    RaiseException(kHostInformationalCode, 0, 0, nullptr);
    EXPECT_TRUE(ExceptionLines().empty());
}

TEST_F(CrashFixture, FaultInsideThePluginIsLoggedAsInsideWithLoggingOff)
{
    HANDLE thread = CreateThread(nullptr, 0, KxtWriteThroughBadPointer,
                                 (LPVOID)plugin.Get<KxtContentGetDetectStringProc>("ContentGetDetectString"), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    EXPECT_EQ(exitCode, 0u) << "the write through the bad pointer must have faulted";
    EXPECT_EQ(g_faultedThreads, 1);

    std::vector<std::string> lines = ExceptionLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("code=0xC0000005"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("module=" + KxtUtf8(plugin.folder + KXT_PLUGIN_NAME) + " [INSIDE Korvex]"), std::string::npos)
        << lines[0];
    EXPECT_EQ(KxtReadLogLines(plugin.LogPath()).size(), 4u) << "start-up lines and the exception line only";
}

TEST_F(CrashFixture, AFloodOfHandledHostErrorsLeavesASmallLog)
{
    DWORD start = GetTickCount();
    for (int i = 0; i < 20000; ++i) RaiseException(kHostErrorCode, 0, 0, nullptr);
    DWORD seconds = (GetTickCount() - start) / 1000 + 1;
    std::vector<std::string> lines = ExceptionLines();
    EXPECT_LE(lines.size(), seconds * 11) << "ten lines a second and one that says that others are left out";
    EXPECT_GE(KxtFindLine(lines, "further ones in this second are not logged"), 0);
    EXPECT_LT(KxtReadFileBytes(plugin.LogPath()).size(), 100000u);
}

namespace {

volatile LONG g_overflowsHandled;
volatile ULONG_PTR g_youngStack;

// The host recovers a thread whose stack ran out: it leaves the thread where its stack was still young.
LONG CALLBACK KxtHostOverflowHandler(EXCEPTION_POINTERS* pointers)
{
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
    InterlockedIncrement(&g_overflowsHandled);
    KxtResumeInExit(pointers->ContextRecord, g_youngStack - 512);
    return EXCEPTION_CONTINUE_EXECUTION;
}

__attribute__((noinline)) int KxtRecurse(int depth)
{
    volatile char frame[512];
    frame[0] = (char)depth;
    if (depth == 0x7FFFFFFF) return 0;
    return KxtRecurse(depth + 1) + frame[0];
}

DWORD WINAPI KxtOverflowTheStack(LPVOID)
{
    volatile char young = 0;
    g_youngStack = (ULONG_PTR)&young;
    return (DWORD)KxtRecurse(young);
}

// The host's side, in a process of its own: Wine fails to end a process once a thread's stack ran out.
void KxtOverflowInThisProcess(const std::wstring& folder)
{
    KxtPlugin plugin = KxtLoadPlugin(folder);
    std::string outcome = "not started";
    if (plugin.module && KxtWaitUntil([&] { return KxtFileExists(plugin.ConfigPath()); }) && KxtWaitForStartupEnd()) {
        AddVectoredExceptionHandler(0, KxtHostOverflowHandler);
        HANDLE thread = CreateThread(nullptr, 256 * 1024, KxtOverflowTheStack, nullptr,
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        DWORD exitCode = 1;
        if (thread && WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0) GetExitCodeThread(thread, &exitCode);
        outcome = "exit=" + std::to_string(exitCode) + " handled=" + std::to_string(g_overflowsHandled);
    }
    KxtWriteFileBytes(folder + L"outcome.txt", outcome);
    TerminateProcess(GetCurrentProcess(), 0);
}

}  // namespace

TEST(CrashOverflow, AStackOverflowTheHostHandlesIsLoggedOnceAndTheHostRecovers)
{
    wchar_t childFolder[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"KXT_OVERFLOW_FOLDER", childFolder, MAX_PATH)) {
        KxtOverflowInThisProcess(childFolder);
        return;
    }
    std::wstring folder = KxtPreparePluginFolder();
    SetEnvironmentVariableW(L"KXT_OVERFLOW_FOLDER", folder.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=CrashOverflow.*";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    SetEnvironmentVariableW(L"KXT_OVERFLOW_FOLDER", nullptr);
    WaitForSingleObject(process.hProcess, 60000);
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    EXPECT_EQ(KxtReadFileBytes(folder + L"outcome.txt"), "exit=0 handled=1") << "the host's own handler ran";
    std::vector<std::string> lines;
    for (const std::string& line : KxtReadLogLines(folder + L"Korvex.log"))
        if (line.find("*** EXCEPTION ***") != std::string::npos) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("code=0xC00000FD"), std::string::npos) << lines[0];
}
