#include "p9050_message.h"

#include <cstdarg>
#include <cstdio>

void P9050_SetMessage(char* msg, const char* format, ...) {
    if (msg == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(msg, P9050_MESSAGE_BYTES, format, args);
    va_end(args);
}
