// The service client, counting and opening cards, and access to the address spaces.
#include "pci_support.h"

namespace {

using vornsim::Range;
using vornsim::Target;
using vornsim::Window;
using Edit = void (*)(vornsim::Profile&);

const HANDLE kBogus = reinterpret_cast<HANDLE>(uintptr_t{0x1234});

// The version check, and the count of cards, over the same service profiles.
TEST_F(PciTest, VersionCheckAndCount) {
    const char* const kOld = "Incorrect PCI service version\n";
    const char* const kAbsent = "Failed opening PCI service device\n";
    const struct {
        int cards;
        Edit edit;
        const char *output, *countMsg;
        uint32_t count;
    } cases[] = {
        {1, [](vornsim::Profile& p) { p.version = 601; },
         "Incorrect PCI service version. expected 6.02, got 6.01\n", kOld, 0},
        {2, [](vornsim::Profile&) {}, "", "No Error\n", 2},
        {1, [](vornsim::Profile& p) { p.version = 1000; }, "", "No Error\n", 1},
        {0, [](vornsim::Profile&) {}, "", "no cards found\n", 0},
        {1, [](vornsim::Profile& p) { p.versionQueryFails = true; },
         "WD_Version() failed (0x20000007) - Internal system error\n", kOld, 0},
        {1, [](vornsim::Profile& p) { p.serviceAbsent = true; }, kAbsent, kAbsent, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        vornsim::Profile profile = vornsim::DefaultProfile(c.cards);
        c.edit(profile);
        Install(profile);
        HANDLE hWD = nullptr;
        Console console;
        const int opened = WD_OpenAndCheckVersion(&hWD);
        EXPECT_EQ(console.Text(), c.output);
        EXPECT_EQ(opened, c.output[0] == '\0');
        EXPECT_EQ(vornsim::GetCounters().openHandles, opened);
        EXPECT_EQ(hWD == INVALID_HANDLE_VALUE, !opened);
        if (opened) WD_CloseDevice(hWD);
        char msg[140];
        EXPECT_EQ(P9050_CountCards(0xCDAB, 0x305C, msg), c.count);
        EXPECT_STREQ(msg, c.countMsg);
        EXPECT_EQ(P9050_CountCards(0xCDAB, 0x305C, nullptr), c.count);
    }
}

// An invalid handle sends nothing; per call, one open and one close of its own, whatever
// handle the caller gave; a handle the service does not answer on reads as no answer.
TEST_F(PciTest, DeviceIoControlHandleRules) {
    WdVersion v{};
    EXPECT_EQ(WD_DeviceIoControl(WD_IOCTL_VERSION, INVALID_HANDLE_VALUE, &v, sizeof(v), 0), ~0u);
    EXPECT_TRUE(Spy::log.empty());
    for (long call = 1; call <= 3; ++call) {
        EXPECT_EQ(WD_DeviceIoControl(WD_IOCTL_VERSION, kBogus, &v, sizeof(v), 1), 0u);
        EXPECT_EQ(std::make_pair(vornsim::GetCounters().opens, vornsim::GetCounters().closes),
                  std::make_pair(call, call));
    }
    EXPECT_EQ(v.version, 602u);
    EXPECT_EQ(WD_DeviceIoControl(WD_IOCTL_VERSION, kBogus, &v, sizeof(v), 0), ~0u);
    Spy::failOpens = true;
    EXPECT_EQ(WD_DeviceIoControl(WD_IOCTL_VERSION, kBogus, &v, sizeof(v), 1), ~0u);
    EXPECT_EQ(Spy::log.size(), 4u);
}

TEST(StatusText, TableTextsExactly) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0x00000000, "Success"},
        {0xFFFFFFFF, "Invalid PCI service handle"},
        {0xC0000002, "HC status: Bit stuffing "},
        {0xC0000030, "HCD: Trasnfer submitted to stalled endpoint"},
        {0x80000400,
         "USBD: Attempted to close enpoint/interface/configuration with outstanding transfer"},
        {0xC0000D00, "USBD: Attemped operation on frame length control not owned by caller"},
        {0x20000009, "Unrecognized error code"},
    };
    for (const auto& [status, text] : cases) EXPECT_STREQ(WD_StatusText(status), text) << status;
}

// Every failed open leaves no handle and no registration; an open card has the slot of
// its place in the scan and the spaces its items describe.
TEST_F(PciTest, OpenOverProfiles) {
    const char* const kItems = "Card does not have all items expected for PLX 9050\n";
    const char* const kRange = "Card out of range of available cards\n";
    const char* const kOk = "No Error\n";
    const struct {
        int cards;
        Edit edit;
        uint32_t index;
        bool claimed;  // by another program
        const char* msg;
    } cases[] = {
        {2, nullptr, 0, false, kOk},
        {2, nullptr, 1, false, kOk},
        {2, nullptr, 2, false, kRange},
        {2, nullptr, 0xFFFFFFFF, false, kRange},
        {0, nullptr, 0, false, "Could not find PCI card\n"},
        {1, [](vornsim::Profile& p) { p.serviceAbsent = true; }, 0, false,
         "Failed opening PCI service device\n"},
        {1, [](vornsim::Profile& p) { p.version = 601; }, 0, false,
         "Incorrect PCI service version\n"},
        {1, [](vornsim::Profile& p) { p.cards[0].interruptItems = 2; }, 0, false, kItems},
        {1,
         [](vornsim::Profile& p) {
             p.cards[0].ranges = {{Window::Io, 16, 6, Target::Chip}};
         },
         0, false, kItems},
        {1, nullptr, 0, true, "Failed locking device. Status 0x2000000e - Resource overlap\n"},
        {1, [](vornsim::Profile& p) { p.cards[0].interruptItems = 0; }, 0, false, kOk},
        // Memory items carry the register number at another place than I/O items.
        {1,
         [](vornsim::Profile& p) {
             p.cards[0].ranges = {{Window::Memory, 128, 3, Target::BridgeRegisters},
                                  {Window::Io, 128, 5, Target::BridgeRegisters},
                                  {Window::Io, 16, 2, Target::Chip}};
         },
         0, false, kOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        vornsim::Profile profile = vornsim::DefaultProfile(c.cards);
        if (c.edit) c.edit(profile);
        Install(profile);
        vornsim::ClaimByOtherProgram(0, c.claimed);
        P9050Handle* hPlx = reinterpret_cast<P9050Handle*>(uintptr_t{0x42});
        char msg[140];
        const int opened = P9050_Open(&hPlx, 0xCDAB, 0x305C, c.index, 0, msg);
        EXPECT_STREQ(msg, c.msg);
        EXPECT_EQ(opened, c.msg == kOk);
        EXPECT_EQ(vornsim::GetCounters().registrations, opened);
        if (!opened) {
            EXPECT_EQ(hPlx, nullptr);
            EXPECT_EQ(vornsim::GetCounters().openHandles, 0);
            continue;
        }
        const vornsim::CardProfile& card = profile.cards[c.index];
        EXPECT_EQ(std::tie(hPlx->pciSlot.bus, hPlx->pciSlot.slot, hPlx->pciSlot.function),
                  std::tie(card.bus, card.slot, card.function));
        EXPECT_EQ(hPlx->intDesc.handle != 0, card.interruptItems == 1);
        uint32_t active = 0;
        for (const Range& range : card.ranges) {
            const P9050AddrSpace& space = hPlx->addrSpaces[range.bar];
            active |= 1u << range.bar;
            EXPECT_EQ(std::make_tuple(space.isMemory, space.bytes, space.mask),
                      std::make_tuple(range.kind == Window::Memory ? 1u : 0u, range.bytes,
                                      range.bytes - 1));
            EXPECT_EQ(space.userAddr != nullptr, range.kind == Window::Memory);
        }
        for (uint32_t s = 0; s <= P9050_ADDR_SPACES; ++s) {
            EXPECT_EQ(P9050_IsAddrSpaceActive(hPlx, s), (active >> s) & 1) << s;
        }
        P9050_Close(hPlx);
    }
    // Null message buffers are accepted; a closed card opens again.
    EXPECT_EQ(P9050_Open(&m_hPlx, 0xCDAB, 0x305C, 5, 0, nullptr), 0);
    EXPECT_EQ(P9050_Open(&m_hPlx, 0xCDAB, 0x305C, 0, 0, nullptr), 1);
    Close();
    Open();
}

// Options 0 leave configuration space alone; bit 0 clears bit 7 of BAR0 before the
// card is registered, but never writes back a value that could not be read.
TEST_F(PciTest, OptionBit0ClearsBar0Bit7BeforeRegistering) {
    vornsim::Profile profile = vornsim::DefaultProfile(1);
    profile.cards[0].bar0Bit7 = true;
    Install(profile);
    const uint32_t bar0 = vornsim::ConfigRegister(0, 0x10, 4);
    ASSERT_NE(bar0 & 0x80, 0u);
    Open();
    Close();
    EXPECT_EQ(Count(WD_IOCTL_PCI_CONFIG), 0);
    Open(0, 1);
    Close();
    EXPECT_EQ(vornsim::ConfigRegister(0, 0x10, 4), bar0 & ~0x80u);
    std::vector<std::string> order;
    for (const vornsim::Request& r : vornsim::Requests()) {
        if (r.code == WD_IOCTL_PCI_CONFIG) {
            EXPECT_EQ(std::tie(r.configOffset, r.bytes), std::make_tuple(0x10u, 4u));
            order.push_back(r.configRead ? "read" : "write");
        } else if (r.code == WD_IOCTL_CARD_REGISTER) {
            order.push_back("register");
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"register", "read", "write", "register"}));

    Install(profile);
    Spy::hook = [](uint32_t code, void* record, uint32_t* status) {
        const bool fail =
            code == WD_IOCTL_PCI_CONFIG && static_cast<WdPciConfigAccess*>(record)->isRead;
        if (fail) *status = WD_INVALID_PARAMETER;
        return fail;
    };
    Open(0, 1);
    EXPECT_EQ(P9050_ReadPciConfig32(m_hPlx, 0x00), 0u);
    EXPECT_EQ(Count(WD_IOCTL_PCI_CONFIG), 0);
    EXPECT_EQ(vornsim::ConfigRegister(0, 0x10, 4), bar0);
}

// Counts beyond the records' hundred cards or twenty items are clamped; a failed scan
// still returns its count, with the longest line there is.
TEST_F(PciTest, CountsFromTheServiceAreClamped) {
    static uint32_t scanCount, scanStatus;
    Spy::hook = [](uint32_t code, void* record, uint32_t* status) {
        if (code != WD_IOCTL_PCI_SCAN) return false;
        static_cast<WdPciScan*>(record)->count = scanCount;
        *status = scanStatus;
        return true;
    };
    scanCount = 150;
    char msg[140];
    EXPECT_EQ(P9050_CountCards(0xCDAB, 0x305C, msg), 100u);
    EXPECT_EQ(P9050_Open(&m_hPlx, 0xCDAB, 0x305C, 120, 0, msg), 0);
    EXPECT_STREQ(msg, "Card out of range of available cards\n");
    scanCount = 3;
    scanStatus = 0x80000400;
    EXPECT_EQ(P9050_CountCards(0xCDAB, 0x305C, msg), 3u);
    EXPECT_STREQ(msg,
                 "WD_PciScanCards() failed with status 0x80000400 - USBD: Attempted to close "
                 "enpoint/interface/configuration with outstanding transfer\n");

    // What follows the twenty items would read as an I/O range on register 3.
    P9050Handle handle{};
    handle.cardReg.card.itemCount = 21;
    for (WdResourceItem& item : handle.cardReg.card.items) item.type = WD_ITEM_BUS;
    WdResourceItem phantom{};
    phantom.type = WD_ITEM_IO;
    phantom.u.io = {0xC000, 16, 3};
    std::memcpy(reinterpret_cast<char*>(&handle.cardReg) + sizeof(WdCardResources), &phantom,
                sizeof(phantom));
    P9050_DetectCardElements(&handle);
    EXPECT_EQ(P9050_IsAddrSpaceActive(&handle, 3), 0);
}

// ---- access ---------------------------------------------------------------------------

using Transfer = std::tuple<uint32_t, uint32_t, uint64_t>;  // command, port, value

class AccessTest : public PciTest {
protected:
    uint32_t Port(uint32_t space, uint32_t offset) const {
        return m_hPlx->addrSpaces[space].busAddr + offset;
    }
    static std::vector<Transfer> Transfers() {
        std::vector<Transfer> result;
        for (const vornsim::Request& r : RequestsWithCode(WD_IOCTL_TRANSFER)) {
            result.emplace_back(r.command, r.port, r.value);
        }
        return result;
    }
};

TEST_F(AccessTest, LocalAddressesPointTheLocalBaseFirst) {
    // The local base of space 2 is register 0x14 of space 0; 0x130 in a 0x100 window is
    // base 0x100 (with its enable bit) and offset 0x30.
    OpenWith(AllIo());
    P9050_WriteSpaceWord(m_hPlx, 2, 6, 0x1234);
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{WD_WP_DWORD, Port(0, 0x14), 1},
                                                  {WD_WP_WORD, Port(2, 6), 0x1234}}));
    Close();
    OpenWith(AllIo(0x100));
    P9050_WriteSpaceWord(m_hPlx, 2, 0x130, 0xBEEF);
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{WD_WP_DWORD, Port(0, 0x14), 0x101},
                                                  {WD_WP_WORD, Port(2, 0x30), 0xBEEF}}));
    EXPECT_EQ(P9050_ReadSpaceWord(m_hPlx, 2, 0x130), 0xBEEF);
    EXPECT_TRUE(vornsim::ChipAccesses().empty());
    Close();

    // Space 1's local base goes to the memory window of space 0: one request only, and
    // the word leaves INTCSR's upper half alone.
    OpenWith(vornsim::DefaultProfile());
    vornsim::SetBridgeRegister(0, 0x4C, 0xABCD0000);
    P9050_WriteSpaceWord(m_hPlx, 1, 0x4C, 0x41);
    EXPECT_EQ(Transfers(), (std::vector<Transfer>{{WD_WP_WORD, Port(1, 0x4C), 0x41}}));
    EXPECT_EQ(vornsim::BridgeRegister(0, 0x10), 1u);
    EXPECT_EQ(vornsim::BridgeRegister(0, 0x4C), 0xABCD0041u);
    Close();

    // A memory window costs no request.
    vornsim::Profile profile = vornsim::DefaultProfile();
    profile.cards[0].ranges[2].kind = Window::Memory;
    OpenWith(profile);
    P9050_WriteSpaceWord(m_hPlx, 2, 4, 0x5AA5);
    EXPECT_EQ(P9050_ReadSpaceWord(m_hPlx, 2, 4), 0x5AA5);
    EXPECT_EQ(P9050_ReadByte(m_hPlx, 2, 5), 0x5A);
    EXPECT_TRUE(Spy::log.empty());
}

TEST_F(AccessTest, BlockCommandsFollowWindowDirectionAndMode) {
    OpenWith(vornsim::DefaultProfile());
    const struct {
        uint32_t space;  // 0 memory, 1 I/O
        int read;
        uint32_t mode, command;
    } cases[] = {{1, 1, 0, 20}, {1, 1, 1, 21}, {1, 1, 7, 22}, {1, 0, 0, 23},
                 {1, 0, 1, 24}, {1, 0, 2, 25}, {0, 1, 0, 40}, {0, 1, 1, 41},
                 {0, 1, 9, 42}, {0, 0, 0, 43}, {0, 0, 1, 44}, {0, 0, 2, 45}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.space << " " << c.read << " " << c.mode);
        Spy::log.clear();
        uint8_t buffer[8] = {};
        EXPECT_EQ(P9050_ReadWriteBlock(m_hPlx, 0x30, buffer, 8, c.read, c.space, c.mode), 0u);
        ASSERT_EQ(Spy::log.size(), 1u);
        const auto cmd = Spy::log[0].As<WdTransferCmd>();
        EXPECT_EQ(std::tie(cmd.command, cmd.port, cmd.bytes, cmd.autoIncrement),
                  std::make_tuple(c.command, Port(c.space, 0x30), 8u, 1u));
        EXPECT_EQ(cmd.data.buffer, static_cast<void*>(buffer));
    }
}

// An access inside a window is one transfer of its width; one outside a present window
// reaches neither a port nor memory: reads give 0, writes are dropped, blocks are refused.
TEST_F(AccessTest, RawAccessStaysInsideThePresentWindows) {
    OpenWith(AllIo());
    const struct {
        uint32_t space, offset, width;
        bool reaches;
    } cases[] = {{0, 0x7F, 1, true}, {0, 0x7E, 2, true}, {0, 0x7C, 4, true}, {2, 16, 1, false},
                 {2, 15, 2, false},  {2, 13, 4, false},  {0, 126, 4, false}, {3, 0, 2, false},
                 {7, 0, 1, false},   {9, 0, 4, false},   {~0u, 0, 4, false}, {2, ~1u, 4, false}};
    const uint32_t writes[] = {0, WD_WP_BYTE, WD_WP_WORD, 0, WD_WP_DWORD};
    const uint32_t reads[] = {0, WD_RP_BYTE, WD_RP_WORD, 0, WD_RP_DWORD};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.space << " " << c.offset << " " << c.width);
        vornsim::ClearRequests();
        const uint32_t ones = 0xFFFFFFFFu >> (32 - 8 * c.width);
        uint32_t read = 0;
        if (c.width == 1) {
            P9050_WriteByte(m_hPlx, c.space, c.offset, 0xFF);
            read = P9050_ReadByte(m_hPlx, c.space, c.offset);
        } else if (c.width == 2) {
            P9050_WriteWord(m_hPlx, c.space, c.offset, 0xFFFF);
            read = P9050_ReadWord(m_hPlx, c.space, c.offset);
        } else {
            P9050_WriteDword(m_hPlx, c.space, c.offset, 0xFFFFFFFF);
            read = P9050_ReadDword(m_hPlx, c.space, c.offset);
        }
        if (c.reaches) {
            EXPECT_EQ(Transfers(),
                      (std::vector<Transfer>{{writes[c.width], Port(c.space, c.offset), ones},
                                             {reads[c.width], Port(c.space, c.offset), ones}}));
            continue;
        }
        EXPECT_EQ(read, 0u);
        uint8_t buffer[4] = {};
        EXPECT_EQ(P9050_ReadBlock(m_hPlx, c.offset, buffer, c.width, c.space, 0), 0x2000001Bu);
        EXPECT_EQ(P9050_WriteBlock(m_hPlx, c.offset, buffer, c.width, c.space, 0), 0x2000001Bu);
        EXPECT_TRUE(Transfers().empty());
    }
    // Local-address blocks past the window, and spaces that are absent or out of range.
    uint8_t buffer[32] = {};
    vornsim::ClearRequests();
    EXPECT_EQ(P9050_ReadSpaceBlock(m_hPlx, 8, buffer, 16, 2, 1), 0x2000001Bu);
    EXPECT_EQ(P9050_WriteSpaceBlock(m_hPlx, 0, buffer, 8, 3, 1), 0x2000001Bu);
    P9050_SetLocalBase(m_hPlx, 7, 0x100);
    EXPECT_EQ(P9050_ReadSpaceDword(m_hPlx, 7, 0), 0u);
    EXPECT_TRUE(vornsim::Requests().empty());
    // A port the service does not decode: the read is 0, the write is lost.
    vornsim::ClearChipAccesses();
    m_hPlx->addrSpaces[2].busAddr = 0x7000;
    EXPECT_EQ(P9050_ReadWord(m_hPlx, 2, 0), 0);
    P9050_WriteWord(m_hPlx, 2, 0, 0x8000);
    EXPECT_TRUE(vornsim::ChipAccesses().empty());
    Close();

    // A memory window: past its end, or without a mapping in this process.
    OpenWith(vornsim::DefaultProfile());
    vornsim::SetBridgeRegister(0, 0x7C, 0x11223344);
    P9050_WriteDword(m_hPlx, 0, 126, 0xFFFFFFFF);
    EXPECT_EQ(P9050_ReadDword(m_hPlx, 0, 126), 0u);
    EXPECT_EQ(P9050_ReadWord(m_hPlx, 0, 126), 0x1122);
    m_hPlx->addrSpaces[0].userAddr = nullptr;
    P9050_WriteReg(m_hPlx, 0x7C, 0);
    EXPECT_EQ(P9050_ReadReg(m_hPlx, 0x7C), 0u);
    EXPECT_EQ(vornsim::BridgeRegister(0, 0x7C), 0x11223344u);
    EXPECT_TRUE(Spy::log.empty());
}

}  // namespace
