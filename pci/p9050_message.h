// The one line an operation of the bridge library leaves in its caller's message buffer.
#pragma once

#include <cstddef>
#include <cstdio>  // the printf flavour of the format check

// Every line is shorter than this, terminating zero included; callers' buffers hold it.
constexpr size_t P9050_MESSAGE_BYTES = 140;

// Formats into msg (bounded); a null msg is ignored.
void P9050_SetMessage(char* msg, const char* format, ...)
    __attribute__((format(__MINGW_PRINTF_FORMAT, 2, 3)));
