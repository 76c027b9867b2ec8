// Diagnostics of self-registration: formatted into a buffer of 2048
// characters (cut when longer) and sent to the debugger output. Nothing is
// ever shown to the user.
#pragma once

void ReportRegistration(const char* format, ...) __attribute__((format(printf, 1, 2)));
