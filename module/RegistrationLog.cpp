#include "module/RegistrationLog.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void ReportRegistration(const char* format, ...) {
    char message[2048];
    va_list arguments;
    va_start(arguments, format);
    // vsnprintf cuts the text and always terminates it.
    std::vsnprintf(message, sizeof(message), format, arguments);
    va_end(arguments);
    OutputDebugStringA(message);
}
