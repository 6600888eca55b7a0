// Shared pieces of the bridge library's tests: a spy in front of the simulated service,
// a fixture that proves nothing leaks, and redirection of the console.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "interrupt_thread.h"
#include "p9050.h"
#include "pci_interrupt_support.h"
#include "sim_service.h"
#include "wd_client.h"

// Keeps every record as it was sent, can make opens fail (counting the attempts), and
// lets a test answer requests itself: the hook returns true when it did.
struct Spy {
    struct Sent {
        uint32_t code;
        std::vector<uint8_t> record;
        template <typename T>
        T As() const {
            T value{};
            std::memcpy(&value, record.data(), std::min(sizeof(T), record.size()));
            return value;
        }
    };
    static inline std::mutex lock;  // the wait threads send too
    static inline std::vector<Sent> log;
    static inline std::atomic<bool> failOpens{false};
    static inline std::atomic<long> openAttempts{0};
    static inline std::function<bool(uint32_t code, void* record, uint32_t* status)> hook;

    static HANDLE Open() {
        ++openAttempts;
        return failOpens ? INVALID_HANDLE_VALUE : vornsim::Backend()->open();
    }
    static void Ioctl(HANDLE device, uint32_t code, void* record, uint32_t bytes,
                      uint32_t* status) {
        const auto* begin = static_cast<const uint8_t*>(record);
        {
            const std::lock_guard<std::mutex> guard(lock);
            log.push_back({code, std::vector<uint8_t>(begin, begin + bytes)});
        }
        if (!hook || !hook(code, record, status)) {
            vornsim::Backend()->ioctl(device, code, record, bytes, status);
        }
    }
    static void Close(HANDLE device) { vornsim::Backend()->close(device); }
    static std::vector<Sent> WithCode(uint32_t code) {
        const std::lock_guard<std::mutex> guard(lock);
        std::vector<Sent> result;
        std::copy_if(log.begin(), log.end(), std::back_inserter(result),
                     [&](const Sent& sent) { return sent.code == code; });
        return result;
    }
};

// Every test runs under a watchdog against a fresh service behind the spy, and must leave
// no service handle, registration, enabled interrupt or interrupt thread behind.
class PciTest : public ::testing::Test {
protected:
    static void Install(const vornsim::Profile& profile) {
        static const WdBackend spy = {Spy::Open, Spy::Ioctl, Spy::Close};
        vornsim::Install(profile);
        Spy::log.clear();
        Spy::failOpens = false;
        Spy::openAttempts = 0;
        Spy::hook = nullptr;
        WD_SetBackend(&spy);
    }
    void SetUp() override { Install(vornsim::DefaultProfile(1)); }
    void TearDown() override {
        if (m_hPlx) P9050_Close(m_hPlx);
        const vornsim::Counters counters = vornsim::GetCounters();
        EXPECT_EQ(counters.openHandles, 0) << "a service handle was left open";
        EXPECT_EQ(counters.registrations, 0) << "a card was left registered";
        EXPECT_EQ(counters.enabledInterrupts, 0);
        EXPECT_EQ(InterruptThreadsAlive(), 0);
        vornsim::Uninstall();
    }
    // Opens a card of the installed profile into m_hPlx, or fails the test.
    void Open(uint32_t index = 0, uint32_t options = 0) {
        char msg[140] = {};
        ASSERT_EQ(P9050_Open(&m_hPlx, 0xCDAB, 0x305C, index, options, msg), 1) << msg;
    }
    void Close() {
        P9050_Close(m_hPlx);
        m_hPlx = nullptr;
    }
    // A fresh service with the profile, card 0 open, no request seen yet.
    void OpenWith(const vornsim::Profile& profile) {
        Install(profile);
        Open();
        vornsim::ClearRequests();
        Spy::log.clear();
    }
    static long Count(uint32_t code) {
        const vornsim::Counters counters = vornsim::GetCounters();
        return counters.requests.count(code) ? counters.requests.at(code) : 0;
    }
    static std::vector<vornsim::Request> RequestsWithCode(uint32_t code) {
        const std::vector<vornsim::Request> all = vornsim::Requests();
        std::vector<vornsim::Request> result;
        std::copy_if(all.begin(), all.end(), std::back_inserter(result),
                     [&](const vornsim::Request& r) { return r.code == code; });
        return result;
    }

    Watchdog m_watchdog{20000};
    P9050Handle* m_hPlx = nullptr;
};

// Space 0 as an I/O range too, so that every bridge register access is a request.
inline vornsim::Profile AllIo(uint32_t chipBytes = 16) {
    using vornsim::Target;
    using vornsim::Window;
    vornsim::Profile profile = vornsim::DefaultProfile(1);
    profile.cards[0].ranges = {{Window::Io, 128, 0, Target::BridgeRegisters},
                               {Window::Io, 128, 1, Target::BridgeRegisters},
                               {Window::Io, chipBytes, 2, Target::Chip}};
    return profile;
}

// For its lifetime, the C runtime's standard input reads the script (when given) and its
// standard output goes to a file; Text() ends the capture and returns the output.
class Console {
public:
    explicit Console(const char* script = nullptr) {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "pco", 0, m_out);
        if (script) {
            GetTempFileNameA(dir, "pci", 0, m_in);
            std::ofstream(m_in, std::ios::binary) << script;
            std::freopen(m_in, "rb", stdin);
        }
        std::fflush(stdout);
        m_saved = _dup(_fileno(stdout));
        const int fd = _open(m_out, _O_WRONLY | _O_TRUNC | _O_BINARY);
        _dup2(fd, _fileno(stdout));
        _close(fd);
    }
    ~Console() {
        Text();
        DeleteFileA(m_out);
        if (m_in[0]) {
            std::freopen("NUL", "rb", stdin);
            DeleteFileA(m_in);
        }
    }
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    std::string Text() {
        if (m_saved >= 0) {
            std::fflush(stdout);
            _dup2(m_saved, _fileno(stdout));
            _close(m_saved);
            m_saved = -1;
        }
        std::ifstream in(m_out, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    char m_out[MAX_PATH] = {};
    char m_in[MAX_PATH] = {};
    int m_saved = -1;
};
