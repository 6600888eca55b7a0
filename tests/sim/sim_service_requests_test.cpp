// Requests to the service: claims, refused accesses, malformed records, the trace of chip accesses
// and the serial EEPROM at the register level.
#include <algorithm>
#include <fstream>
#include <random>

#include "sim_service_support.h"

namespace {

using simtest::Card;
using simtest::Device;
using simtest::ServiceTest;

TEST_F(ServiceTest, ClaimsAreExclusiveAcrossProgramsAndReleasedByUnregister) {
    vornsim::Profile profile = vornsim::DefaultProfile(1);
    profile.sharedClaims = true;
    vornsim::Install(profile);
    Device device;
    Card first = simtest::Register(device);
    ASSERT_EQ(first.status, 0u);
    Card second = simtest::Register(device);
    EXPECT_EQ(second.status, uint32_t{WD_RESOURCE_OVERLAP});
    EXPECT_EQ(second.reg.cardHandle, 0u);
    EXPECT_EQ(simtest::Unregister(device, first), 0u);
    EXPECT_EQ(simtest::Unregister(device, first), uint32_t{WD_INVALID_HANDLE});

    // Another program holds the card by the name its service creates.
    HANDLE other = CreateMutexA(nullptr, FALSE, "Local\\vorn305q-sim-card-1-0-0");
    EXPECT_EQ(simtest::Register(device).status, uint32_t{WD_RESOURCE_OVERLAP});
    CloseHandle(other);
    Card third = simtest::Register(device);
    EXPECT_EQ(third.status, 0u);
    EXPECT_EQ(simtest::Unregister(device, third), 0u);
}

TEST_F(ServiceTest, UnmappedOrOverlongAccessesAreRefusedWithoutEffect) {
    Device device;
    Card card = simtest::Register(device);
    const uint32_t regs = card.Regs(), chip = card.Chip(), memory = card.Memory();
    struct Case {
        const char* what;
        uint32_t command, port;
    };
    const Case cases[] = {
        {"port 0", WD_WP_WORD, 0},
        {"below the card", WD_WP_DWORD, regs - 4},
        {"dword over the chip range's end", WD_WP_DWORD, chip + 14},
        {"past the chip range", WD_WP_WORD, chip + 16},
        {"read past the chip range", WD_RP_WORD, chip + 16},
        {"memory command at a port", WD_WM_WORD, regs + 0x4C},
        {"port command at a memory address", WD_WP_WORD, memory + 0x4C},
        {"memory past the window", WD_WM_DWORD, memory + 126},
        {"unknown command", 30, regs + 0x4C},
    };
    const auto registerFile = [] {
        std::vector<uint32_t> regs;
        for (uint32_t offset = 0; offset < 128; offset += 4) {
            regs.push_back(vornsim::BridgeRegister(0, offset));
        }
        return regs;
    };
    const std::vector<uint32_t> before = registerFile();
    for (const Case& c : cases) {
        uint32_t status = 0;
        EXPECT_EQ(device.Transfer(c.command, c.port, 0xA5A5A5A5A5A5A5A5, &status),
                  0xA5A5A5A5A5A5A5A5u)
            << c.what;
        EXPECT_EQ(status, uint32_t{WD_INVALID_PARAMETER}) << c.what;
    }
    EXPECT_EQ(registerFile(), before);
    EXPECT_EQ(vornsim::GetCounters().chipAccesses, 0);
    EXPECT_EQ(simtest::Unregister(device, card), 0u);
}

TEST_F(ServiceTest, MalformedRequestsNeverCrashAndAlwaysGetAStatus) {
    struct Known {
        uint32_t code, bytes;
    };
    const Known known[] = {{WD_IOCTL_VERSION, sizeof(WdVersion)},
                           {WD_IOCTL_PCI_SCAN, sizeof(WdPciScan)},
                           {WD_IOCTL_PCI_CARD_INFO, sizeof(WdPciCardInfo)},
                           {WD_IOCTL_CARD_REGISTER, sizeof(WdCardRegistration)},
                           {WD_IOCTL_CARD_UNREGISTER, sizeof(WdCardRegistration)},
                           {WD_IOCTL_PCI_CONFIG, sizeof(WdPciConfigAccess)},
                           {WD_IOCTL_TRANSFER, sizeof(WdTransferCmd)},
                           {WD_IOCTL_SLEEP, sizeof(WdSleep)},
                           {WD_IOCTL_INT_ENABLE, sizeof(WdInterruptDesc)},
                           {WD_IOCTL_INT_DISABLE, sizeof(WdInterruptDesc)},
                           {WD_IOCTL_INT_WAIT, sizeof(WdInterruptDesc)},
                           {WD_IOCTL_DEBUG_ADD, sizeof(WdDebugAdd)},
                           {WD_IOCTL_EVENT_REGISTER, sizeof(WdEvent)},
                           {WD_IOCTL_EVENT_UNREGISTER, sizeof(WdEvent)},
                           {WD_IOCTL_EVENT_PULL, sizeof(WdEvent)},
                           {WD_IOCTL_EVENT_SEND, sizeof(WdEvent)}};
    std::mt19937 random(20240601);
    std::vector<uint8_t> record(4096);
    Device device;
    for (int i = 0; i < 3000; ++i) {
        // Random contents: no pointer of a short record may be followed.
        for (uint8_t& byte : record) byte = static_cast<uint8_t>(random());
        const Known& k = known[random() % 16];
        uint32_t code = k.code;
        uint32_t bytes = random() % k.bytes;  // short of the record
        uint32_t expected = WD_INVALID_PARAMETER;
        if (random() % 2) {
            code = static_cast<uint32_t>(random());  // with this seed never a known one
            bytes = random() % 4096;
            expected = WD_NOT_IMPLEMENTED;
        }
        ASSERT_EQ(device.Send(code, record.data(), bytes), expected)
            << std::hex << code << " with " << std::dec << bytes << " bytes";
    }
    // A full zeroed record is answered, a missing one refused; an unterminated debug text is cut at
    // its field.
    for (const Known& k : known) {
        std::fill(record.begin(), record.end(), k.code == WD_IOCTL_DEBUG_ADD ? 'x' : 0);
        EXPECT_NE(device.Send(k.code, record.data(), k.bytes), WD_STATUS_NO_ANSWER);
        EXPECT_EQ(device.Send(k.code, nullptr, k.bytes), uint32_t{WD_INVALID_PARAMETER});
    }
    EXPECT_EQ(vornsim::DebugMessages(), std::vector<std::string>{std::string(256, 'x')});
}

TEST_F(ServiceTest, TraceFileHasOneExactLinePerChipAccess) {
    vornsim::Install(vornsim::DefaultProfile(2));
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "trc", 0, path);
    std::ofstream(path, std::ios::binary) << "earlier line\n";
    vornsim::SetTraceFile(path);

    Device device;
    Card card0 = simtest::Register(device, 0);
    Card card1 = simtest::Register(device, 1);
    const uint32_t chip0 = card0.Chip();
    device.Transfer(WD_WP_WORD, chip0 + 0, 0x010F);
    device.Transfer(WD_WP_WORD, chip0 + 2, 0x8000);
    device.Transfer(WD_RP_WORD, chip0 + 6);
    device.Transfer(WD_WP_WORD, card1.Chip() + 14, 0xABCD);
    device.Transfer(WD_RP_WORD, card1.Chip() + 0);
    device.Transfer(WD_WP_WORD, card0.Regs() + 0x4C, 0x41);  // a bridge register: not traced

    // An interrupt-time list: its accesses carry IW and IR.
    WdTransferCmd list[2] = {{chip0, WD_WP_WORD, 0, 0, 0, {}},
                             {chip0 + 6, WD_RP_WORD, 0, 0, 0, {}}};
    list[0].data.word = 0x040F;
    WdInterruptDesc desc = {};
    desc.handle = card0.InterruptHandle();
    desc.options = WD_INTERRUPT_OPTION_COPY_READS;
    desc.cmds = list;
    desc.cmdCount = 2;
    ASSERT_EQ(device.Send(WD_IOCTL_INT_ENABLE, desc), 0u);
    vornsim::InjectStatus(0, 2, 0x00C0);
    ASSERT_EQ(device.Send(WD_IOCTL_INT_WAIT, desc), 0u);  // the line is up: served at once
    EXPECT_EQ(desc.stopState, 0u);
    EXPECT_EQ(device.Send(WD_IOCTL_INT_DISABLE, desc), 0u);
    vornsim::SetTraceFile("");
    device.Transfer(WD_WP_WORD, chip0 + 0, 0x0F27);  // after the trace was turned off

    std::vector<std::string> expected = {"0 W 0x00 0x010F", "0 W 0x02 0x8000", "0 R 0x06 0x0000",
                                         "1 W 0x0E 0xABCD", "1 R 0x00 0x0000", "0 IW 0x00 0x040F",
                                         "0 IR 0x06 0x00C0"};
    std::vector<std::string> traced = simtest::Trace();
    ASSERT_EQ(traced.back(), "0 W 0x00 0x0F27");
    traced.pop_back();
    EXPECT_EQ(traced, expected);
    expected.insert(expected.begin(), "earlier line");
    std::vector<std::string> lines;
    {
        std::ifstream file(path, std::ios::binary);
        for (std::string line; std::getline(file, line);) lines.push_back(line);
    }
    EXPECT_EQ(lines, expected);
    DeleteFileA(path);
    EXPECT_EQ(simtest::Unregister(device, card0), 0u);
    EXPECT_EQ(simtest::Unregister(device, card1), 0u);
}

// The EEPROM clocked by hand through CNTRL, as the bridge library drives it.
TEST_F(ServiceTest, EepromRoundTripAndAnEepromThatIgnoresWrites) {
    const uint32_t kClock = 0x01000000, kSelect = 0x02000000, kDataIn = 0x04000000,
                   kDataOut = 0x08000000;
    for (vornsim::Eeprom mode : {vornsim::Eeprom::Present, vornsim::Eeprom::IgnoresWrites}) {
        const bool present = mode == vornsim::Eeprom::Present;
        SCOPED_TRACE(present ? "present" : "ignores writes");
        vornsim::Profile profile = vornsim::DefaultProfile(1);
        profile.cards[0].eeprom = mode;
        vornsim::Install(profile);
        Device device;
        Card card = simtest::Register(device);
        const uint32_t cntrl = card.Regs() + 0x50;
        // One instruction under chip select, most significant bit first: returns the last 16 bits
        // shifted out.
        const auto shift = [&](uint32_t bits, int n) {
            uint64_t wire = device.Transfer(WD_RP_DWORD, cntrl), out = 0;
            const auto set = [&](uint64_t value) {
                device.Transfer(WD_WP_DWORD, cntrl, wire = value);
            };
            set(wire | kSelect);
            for (int i = n - 1; i >= 0; --i) {
                set((wire & ~uint64_t{kClock | kDataIn}) | ((bits >> i) & 1 ? kDataIn : 0));
                set(wire | kClock);
                set(wire & ~uint64_t{kClock});
                out = out << 1 | ((device.Transfer(WD_RP_DWORD, cntrl) & kDataOut) ? 1 : 0);
            }
            set(wire & ~uint64_t{kSelect});
            return static_cast<uint16_t>(out);
        };
        const auto read = [&](uint32_t address) { return shift(0b110u << 22 | address << 16, 25); };
        const auto write = [&](uint32_t address, uint16_t value) {
            shift(0b101u << 22 | address << 16 | value, 25);
        };
        EXPECT_EQ(read(0), present ? 0x305C : 0xFFFF);
        write(3, 0x1111);  // writes start disabled
        EXPECT_EQ(read(3), present ? 0x0001 : 0xFFFF);
        shift(0b100110000, 9);  // write enable
        write(3, 0xA55A);
        EXPECT_EQ(read(3), present ? 0xA55A : 0xFFFF);
        EXPECT_EQ(vornsim::EepromWord(0, 3), present ? 0xA55A : 0xFFFF);
        EXPECT_EQ(simtest::Unregister(device, card), 0u);
    }
}

}  // namespace
