// The four stress phases. Each runs its cycles on a rig whose filter is open
// and whose pins are connected or not as the previous phase left them, keeps
// its first failures, and measures handles and private memory once warmed up
// and at its end.
#pragma once

#include <string>
#include <vector>

#include "StressRig.h"

struct StressPlan {
    long runCycles;      // run / pause / stop of the connected graph
    long formatCycles;   // disconnect, IAMStreamConfig::SetFormat, connect, stream
    long unplugCycles;   // unplug while streaming, replug, SelectCamera, stream
    long hammerSeconds;  // four threads on the control interfaces while both pins stream
};

struct PhaseReport {
    std::string name;
    long cycles = 0;
    double seconds = 0;
    ResourceUse warm;
    ResourceUse end;
    PatternCounts frames;  // over both sinks, during the phase
    long failures = 0;
    std::vector<std::string> messages;  // the first few failures

    void Fail(const std::string& message);
};

PhaseReport RunPauseStopPhase(StressRig& rig, long cycles);
PhaseReport FormatChangePhase(StressRig& rig, long cycles);
PhaseReport UnplugPhase(StressRig& rig, long cycles);
PhaseReport HammerPhase(StressRig& rig, long seconds);
