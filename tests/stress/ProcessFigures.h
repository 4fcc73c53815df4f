#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <thread>

// What the process holds, read the same way on Windows and under Wine 8, where
// PROCESS_MEMORY_COUNTERS_EX::PrivateUsage is 0, PeakPagefileUsage is the current figure
// rather than a peak, and GetGuiResources is a stub that returns 0.

struct Memory {
    size_t privateBytes;       // PrivateUsage, else PagefileUsage (Wine: anonymous resident + swap)
    size_t peakPagefileBytes;  // as reported
    size_t peakWorkingSetBytes;  // Wine: VmHWM, a true peak since the process started
};
Memory ProcessMemory();

struct GuiObjects {
    DWORD gdi;
    DWORD user;
    const char* source;  // how they were counted
};
// GetGuiResources where it answers; under Wine the GDI handle table the PEB points at
// (per process there) and the windows of this process.
GuiObjects CountGuiObjects();

// The highest private memory seen since the last Reset, polled every 2 ms on its own
// thread: the only real peak under Wine, whose PeakPagefileUsage is not one.
class PrivatePeak {
public:
    PrivatePeak();
    ~PrivatePeak();
    PrivatePeak(const PrivatePeak&) = delete;
    PrivatePeak& operator=(const PrivatePeak&) = delete;

    void Reset();
    size_t Bytes() const;

private:
    void Sample();

    std::atomic<size_t> m_peak{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

inline double Mb(size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}
