// Linked into every test program. Under Wine a test program that crashes can end with
// exit code 0 once the debugger has reported the fault, and ctest would count it as
// passed; this filter turns every unhandled exception into a failing exit code.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info ? info->ExceptionRecord : nullptr;
    std::fprintf(stderr, "\nUnhandled exception 0x%08lx at %p: the test program crashed.\n",
                 record ? record->ExceptionCode : 0ul, record ? record->ExceptionAddress : nullptr);
    std::fflush(stderr);
    ExitProcess(4);
}

const struct CrashGuard {
    CrashGuard() { SetUnhandledExceptionFilter(ReportCrash); }
} g_crashGuard;

}  // namespace
