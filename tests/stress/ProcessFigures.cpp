#include "ProcessFigures.h"

#include <psapi.h>
#include <winternl.h>

#include <chrono>

namespace {

// One row of the GDI handle table (GDICELL on Windows, GDI_HANDLE_ENTRY in Wine).
struct GdiHandleEntry {
    UINT64 object;
    USHORT processId;
    USHORT count;
    USHORT upper;
    USHORT type;  // 0: a free row
    UINT64 user;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr size_t kPebGdiSharedHandleTable = 0xF8;  // x64
constexpr size_t kGdiHandleRows = 0x10000;

DWORD GdiRowsInUse() {
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic,
                                  sizeof basic, nullptr) != 0)
        return 0;
    const auto* peb = reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
    const auto* table =
        *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiSharedHandleTable);
    if (!table) return 0;
    DWORD rows = 0;
    for (size_t i = 0; i < kGdiHandleRows; ++i) rows += table[i].type != 0;
    return rows;
}

// EnumChildWindows reaches every descendant, so only top-level windows start a walk.
BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

BOOL CALLBACK CountOwnWindow(HWND hwnd, LPARAM count) {
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId == GetCurrentProcessId()) {
        ++*reinterpret_cast<DWORD*>(count);
        EnumChildWindows(hwnd, CountChild, count);
    }
    return TRUE;
}

}  // namespace

Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return {counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage,
            counters.PeakPagefileUsage, counters.PeakWorkingSetSize};
}

GuiObjects CountGuiObjects() {
    const HANDLE process = GetCurrentProcess();
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    // A process with a window always owns GDI objects: 0 means the call is not implemented.
    if (gdi != 0) return {gdi, GetGuiResources(process, GR_USEROBJECTS), "GetGuiResources"};
    DWORD windows = 0;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&windows));
    return {GdiRowsInUse(), windows, "GDI handle table rows in use; USER: windows only"};
}

PrivatePeak::PrivatePeak() : m_peak(ProcessMemory().privateBytes), m_thread([this] { Sample(); }) {}

PrivatePeak::~PrivatePeak() {
    m_stop = true;
    m_thread.join();
}

void PrivatePeak::Reset() {
    m_peak = ProcessMemory().privateBytes;
}

size_t PrivatePeak::Bytes() const {
    return m_peak;
}

void PrivatePeak::Sample() {
    while (!m_stop) {
        const size_t now = ProcessMemory().privateBytes;
        size_t peak = m_peak;
        while (now > peak && !m_peak.compare_exchange_weak(peak, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
