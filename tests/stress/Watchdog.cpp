#include "Watchdog.h"

#include <process.h>

#include <cstdio>

Watchdog::Watchdog() : m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_thread(nullptr) {}

Watchdog::~Watchdog() {
    Stop();
    if (m_stop) {
        CloseHandle(m_stop);
    }
}

bool Watchdog::Start() {
    if (!m_stop || m_thread) {
        return m_thread != nullptr;
    }
    m_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, 0, nullptr));
    return m_thread != nullptr;
}

void Watchdog::Stop() {
    if (!m_thread) {
        return;
    }
    SetEvent(m_stop);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

void Watchdog::Enter(int slot, const char* step, long cycle, DWORD limitMs) {
    if (slot < 0 || slot >= kSlots) {
        return;
    }
    Slot& entry = m_slots[slot];
    entry.step.store(nullptr);
    entry.cycle.store(cycle);
    entry.entered.store(GetTickCount());
    entry.limit.store(limitMs);
    entry.step.store(step);
}

void Watchdog::Leave(int slot) {
    if (slot >= 0 && slot < kSlots) {
        m_slots[slot].step.store(nullptr);
    }
}

unsigned __stdcall Watchdog::ThreadProc(void* argument) {
    static_cast<Watchdog*>(argument)->Watch();
    return 0;
}

void Watchdog::Watch() {
    while (WaitForSingleObject(m_stop, 200) == WAIT_TIMEOUT) {
        for (int index = 0; index < kSlots; ++index) {
            Slot& entry = m_slots[index];
            const char* step = entry.step.load();
            if (!step) {
                continue;
            }
            const long cycle = entry.cycle.load();
            const DWORD entered = entry.entered.load();
            // The clock is read after the entry: a step entered after an
            // earlier reading would otherwise look about 49 days old.
            const DWORD elapsed = GetTickCount() - entered;
            if (elapsed <= entry.limit.load() || entry.step.load() != step || entry.cycle.load() != cycle) {
                continue;
            }
            std::printf("HUNG: thread %d, step \"%s\", cycle %ld, after %lu ms (bound %lu ms)\n", index, step,
                        entry.cycle.load(), static_cast<unsigned long>(elapsed),
                        static_cast<unsigned long>(entry.limit.load()));
            std::fflush(stdout);
            // The hung thread may hold any lock: nothing is unwound.
            TerminateProcess(GetCurrentProcess(), kHungExitCode);
        }
    }
}
