// What a long run leaves behind: logs kept only as far as the profile asks, and no record
// of a registration that has ended, while its handles still answer as ended ones do.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

#include "sim_service_support.h"

namespace {

using simtest::Card;
using simtest::Device;
using simtest::ServiceTest;

uint32_t ChipPort(const Device& device) {
    WdPciCardInfo info = {};
    info.slot = {1, 0, 0};
    EXPECT_EQ(device.Send(WD_IOCTL_PCI_CARD_INFO, info), 0u);
    return info.card.items[2].u.io.port;
}

void SendDebugText(const Device& device, const char* text) {
    WdDebugAdd debug = {};
    std::strncpy(debug.text, text, sizeof(debug.text) - 1);
    EXPECT_EQ(device.Send(WD_IOCTL_DEBUG_ADD, debug), 0u);
}

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

std::string TempFile() {
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "trc", 0, path);
    return path;
}

// Five writes to the chip and four debug texts under a given log size.
class LogTest : public ServiceTest {
protected:
    void Run(size_t entries) {
        vornsim::Profile profile = vornsim::DefaultProfile(1);
        profile.logEntries = entries;
        vornsim::Install(profile);
        Device device;
        const uint32_t chip = ChipPort(device);
        vornsim::ClearRequests();
        for (uint16_t value = 1; value <= 5; ++value) {
            device.Transfer(WD_WP_WORD, chip + 14, value);
        }
        for (const char* text : {"a", "b", "c", "d"}) SendDebugText(device, text);
    }
};

TEST_F(LogTest, LogsKeepTheNewestEntriesAsTheProfileAsks) {
    Run(3);
    std::vector<uint32_t> codes;
    for (const vornsim::Request& request : vornsim::Requests()) codes.push_back(request.code);
    EXPECT_EQ(codes, std::vector<uint32_t>(3, WD_IOCTL_DEBUG_ADD)) << "the debug texts came last";
    EXPECT_EQ(simtest::Trace(),
              (std::vector<std::string>{"0 W 0x0E 0x0003", "0 W 0x0E 0x0004", "0 W 0x0E 0x0005"}));
    EXPECT_EQ(vornsim::DebugMessages(), (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(vornsim::GetCounters().chipAccesses, 5) << "the counters count past the logs";
}

TEST_F(LogTest, WithoutLogsTheTraceFileStillGetsEveryAccess) {
    const std::string path = TempFile();
    Run(0);
    vornsim::SetTraceFile(path);
    Device device;
    const uint32_t chip = ChipPort(device);
    device.Transfer(WD_WP_WORD, chip + 2, 0x1234);
    device.Transfer(WD_RP_WORD, chip + 2);
    vornsim::SetTraceFile("");
    EXPECT_TRUE(vornsim::Requests().empty());
    EXPECT_TRUE(vornsim::ChipAccesses().empty());
    EXPECT_TRUE(vornsim::DebugMessages().empty());
    EXPECT_EQ(vornsim::GetCounters().chipAccesses, 7);
    EXPECT_EQ(FileLines(path), (std::vector<std::string>{"0 W 0x02 0x1234", "0 R 0x02 0x0000"}));
    DeleteFileA(path.c_str());
}

// The configuration a product gets keeps no log; the trace it names is written.
TEST_F(ServiceTest, TheEnvironmentConfigurationKeepsNoLogs) {
    const std::string path = TempFile();
    _putenv_s("VORN305Q_SIMULATOR", "1");
    _putenv_s("VORN305Q_SIM_TRACE", path.c_str());
    ASSERT_TRUE(vornsim::ConfigureFromEnvironment());
    _putenv_s("VORN305Q_SIMULATOR", "");
    _putenv_s("VORN305Q_SIM_TRACE", "");
    {
        Device device;
        device.Transfer(WD_WP_WORD, ChipPort(device) + 4, 0x00FF);
        SendDebugText(device, "text");
    }
    vornsim::SetTraceFile("");
    EXPECT_EQ(vornsim::GetCounters().chipAccesses, 1);
    EXPECT_TRUE(vornsim::ChipAccesses().empty());
    EXPECT_TRUE(vornsim::Requests().empty());
    EXPECT_TRUE(vornsim::DebugMessages().empty());
    EXPECT_EQ(FileLines(path), std::vector<std::string>{"0 W 0x04 0x00FF"});
    DeleteFileA(path.c_str());
    EXPECT_FALSE(vornsim::ConfigureFromEnvironment()) << "without the variable";
}

struct Answer {
    uint32_t status;
    uint32_t stopState;
    bool operator==(const Answer& other) const {
        return status == other.status && stopState == other.stopState;
    }
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
    return out << "status " << a.status << " stop state " << a.stopState;
}

Answer Ask(const Device& device, uint32_t code, uint32_t handle) {
    WdInterruptDesc desc = {};
    desc.handle = handle;
    desc.stopState = 0x55;
    const uint32_t status = device.Send(code, desc);
    return {status, desc.stopState};
}

const Answer kEnded = {WD_STATUS_SUCCESS, WD_STOP_DISABLED};

// Ended registrations keep nothing, yet their handles answer wait and disable as
// "disabled" and refuse an enable; handles never handed out are not known at all.
TEST_F(ServiceTest, EndedRegistrationsLeaveNoRecordButTheirHandlesStayDisabled) {
    Device device;
    std::set<uint32_t> interruptHandles, cardHandles;
    for (int cycle = 0; cycle < 200; ++cycle) {
        Card card = simtest::Register(device);
        ASSERT_EQ(card.status, 0u);
        EXPECT_EQ(vornsim::GetCounters().interruptRecords, 1);
        const uint32_t handle = card.InterruptHandle();
        ASSERT_EQ(Ask(device, WD_IOCTL_INT_ENABLE, handle).status, 0u);
        interruptHandles.insert(handle);
        cardHandles.insert(card.reg.cardHandle);
        ASSERT_EQ(simtest::Unregister(device, card), 0u);
        EXPECT_EQ(vornsim::GetCounters().interruptRecords, 0) << "cycle " << cycle;
    }
    EXPECT_EQ(interruptHandles.size(), 200u) << "a handle was handed out twice";
    for (uint32_t card : cardHandles) EXPECT_EQ(interruptHandles.count(card), 0u);

    for (uint32_t handle : {*interruptHandles.begin(), *interruptHandles.rbegin()}) {
        EXPECT_EQ(Ask(device, WD_IOCTL_INT_WAIT, handle), kEnded);
        EXPECT_EQ(Ask(device, WD_IOCTL_INT_DISABLE, handle), kEnded);
        EXPECT_EQ(Ask(device, WD_IOCTL_INT_ENABLE, handle).status,
                  uint32_t{WD_FAILED_ENABLING_INTERRUPT});
    }
    const uint32_t notYet = *interruptHandles.rbegin() + 2;
    for (uint32_t unknown : {notYet, *cardHandles.begin(), 0u}) {
        SCOPED_TRACE(unknown);
        EXPECT_EQ(Ask(device, WD_IOCTL_INT_WAIT, unknown),
                  (Answer{WD_INTERRUPT_NOT_ENABLED, WD_STOP_DISABLED}));
        EXPECT_EQ(Ask(device, WD_IOCTL_INT_DISABLE, unknown).status,
                  uint32_t{WD_INTERRUPT_NOT_ENABLED});
    }

    // A driver event handle shares the space and the treatment.
    WdEvent event = {};
    event.cardType = WD_EVENT_PCI_CARD;
    ASSERT_EQ(device.Send(WD_IOCTL_EVENT_REGISTER, event), 0u);
    EXPECT_EQ(event.handle & 1, 1u);
    EXPECT_GT(event.handle, *interruptHandles.rbegin());
    EXPECT_EQ(vornsim::GetCounters().interruptRecords, 1);
    ASSERT_EQ(device.Send(WD_IOCTL_EVENT_UNREGISTER, event), 0u);
    EXPECT_EQ(vornsim::GetCounters().interruptRecords, 0);
    EXPECT_EQ(Ask(device, WD_IOCTL_INT_WAIT, event.handle), kEnded);

    // A fresh service knows nothing of the handles of the one before.
    vornsim::Install(vornsim::DefaultProfile(1));
    Device fresh;
    EXPECT_EQ(Ask(fresh, WD_IOCTL_INT_WAIT, event.handle).status,
              uint32_t{WD_INTERRUPT_NOT_ENABLED});
    Card card = simtest::Register(fresh);
    EXPECT_GT(card.InterruptHandle(), event.handle) << "handles go on after a reset";
    EXPECT_EQ(simtest::Unregister(fresh, card), 0u);
}

// The interrupt thread opens a device handle for every wait. Opening one takes no kernel
// object, none is handed out twice, none can be taken for a real handle (those are
// multiples of four), and a handle closed or from before a reset gets no answer.
TEST_F(ServiceTest, DeviceHandlesAreTheServicesOwnAndNeverComeBack) {
    const WdBackend* const service = vornsim::Backend();
    const auto Answers = [service](HANDLE h) {
        WdVersion version = {};
        uint32_t status = WD_STATUS_NO_ANSWER;
        service->ioctl(h, WD_IOCTL_VERSION, &version, sizeof(version), &status);
        return status != WD_STATUS_NO_ANSWER;
    };
    const auto NextKernelHandle = [] {
        const HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        CloseHandle(probe);
        return probe;
    };

    const HANDLE kernelBefore = NextKernelHandle();
    std::set<HANDLE> seen;
    std::vector<HANDLE> open;
    for (int i = 0; i < 2000; ++i) {
        const HANDLE h = service->open();
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_NE(reinterpret_cast<uintptr_t>(h) % 4, 0u) << h;
        ASSERT_TRUE(seen.insert(h).second) << "handed out twice: " << h;
        EXPECT_TRUE(Answers(h));
        open.push_back(h);
        if (i % 2 == 1) {  // every other one closed at once, the rest kept
            service->close(h);
            EXPECT_FALSE(Answers(h)) << "closed, yet answered";
            open.pop_back();
        }
    }
    EXPECT_EQ(NextKernelHandle(), kernelBefore) << "a device handle took a kernel handle";
    const vornsim::Counters counters = vornsim::GetCounters();
    EXPECT_EQ(counters.openHandles, 1000);
    EXPECT_EQ(counters.opens - counters.closes, 1000);

    // A reset forgets the open ones, and the handles after it are new ones.
    vornsim::Install(vornsim::DefaultProfile(1));
    for (HANDLE h : open) EXPECT_FALSE(Answers(h)) << "answered after a reset: " << h;
    const HANDLE fresh = service->open();
    EXPECT_TRUE(Answers(fresh));
    EXPECT_EQ(seen.count(fresh), 0u);
    for (HANDLE h : open) service->close(h);  // stale: no effect on the new service
    EXPECT_EQ(vornsim::GetCounters().closes, 0);
    EXPECT_TRUE(Answers(fresh));
    service->close(fresh);
}

}  // namespace
