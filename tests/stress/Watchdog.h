// The stress program's watchdog: every thread of the program names the step
// it is in and how long that step may take at most. A thread of the watchdog
// looks at every slot a few times a second; when a step outlives its bound it
// prints which step of which thread hung and ends the process with exit code
// 3, since a hung step cannot be unwound.
#pragma once

#include <windows.h>

#include <atomic>

class Watchdog {
  public:
    static constexpr int kSlots = 8;
    static constexpr int kHungExitCode = 3;

    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    bool Start();
    void Stop();

    // Slot slot (0 .. kSlots - 1) enters step (a string that lives as long
    // as the program) in cycle cycle, bounded by limitMs.
    void Enter(int slot, const char* step, long cycle, DWORD limitMs);
    // The slot's thread is between steps: no bound.
    void Leave(int slot);

  private:
    struct Slot {
        std::atomic<const char*> step{nullptr};
        std::atomic<long> cycle{0};
        std::atomic<DWORD> entered{0};
        std::atomic<DWORD> limit{0};
    };

    static unsigned __stdcall ThreadProc(void* argument);
    void Watch();

    Slot m_slots[kSlots];
    HANDLE m_stop;
    HANDLE m_thread;
};

// Enters a step for a scope.
class WatchedStep {
  public:
    WatchedStep(Watchdog& watchdog, int slot, const char* step, long cycle, DWORD limitMs)
        : m_watchdog(watchdog), m_slot(slot) {
        m_watchdog.Enter(slot, step, cycle, limitMs);
    }
    ~WatchedStep() { m_watchdog.Leave(m_slot); }
    WatchedStep(const WatchedStep&) = delete;
    WatchedStep& operator=(const WatchedStep&) = delete;

  private:
    Watchdog& m_watchdog;
    const int m_slot;
};
