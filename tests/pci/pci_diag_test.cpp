// The PCI diagnostics console (scripted standard input, exact output), driver events,
// the operating-system helpers and the debug message.
#include <malloc.h>

#include <thread>

#include "os_helpers.h"
#include "pci_diag.h"
#include "pci_support.h"
#include "wd_events.h"

namespace {

// ---- the configuration-register editor ------------------------------------------------

struct ConfigRegister {
    const char* name;
    uint32_t offset, bytes;
};
// The editor's registers, numbered from 1.
const ConfigRegister kRegisters[] = {
    {"VID", 0x00, 2},    {"DID", 0x02, 2},    {"CMD", 0x04, 2},    {"STS", 0x06, 2},
    {"RID", 0x08, 1},    {"CLCD", 0x09, 3},   {"CALN", 0x0C, 1},   {"LAT", 0x0D, 1},
    {"HDR", 0x0E, 1},    {"BIST", 0x0F, 1},   {"BADDR0", 0x10, 4}, {"BADDR1", 0x14, 4},
    {"BADDR2", 0x18, 4}, {"BADDR3", 0x1C, 4}, {"BADDR4", 0x20, 4}, {"BADDR5", 0x24, 4},
    {"EXROM", 0x30, 4},  {"INTLN", 0x3C, 1},  {"INTPIN", 0x3D, 1}, {"MINGNT", 0x3E, 1},
    {"MAXLAT", 0x3F, 1},
};

std::string Cell(int index) {
    const ConfigRegister& reg = kRegisters[index];
    const int digits = static_cast<int>(reg.bytes) * 2;
    char cell[40];
    std::snprintf(cell, sizeof(cell), "%2d. %6s : %0*x %*s    ", index + 1, reg.name, digits,
                  vornsim::ConfigRegister(0, reg.offset, reg.bytes), 8 - digits, "");
    return cell;
}

// The register table and the menu, as card 0's configuration space holds it now.
std::string TableAndMenu() {
    std::string text = "\nEdit PCI configuration registers\n--------------------------------\n";
    for (int row = 0; row < 11; ++row) {
        text += (row < 10 ? Cell(row) : std::string(26, ' ')) + Cell(row + 10) + "\n";
    }
    return text + "99. Back to main menu\nChoose register to write to, or 99 to exit: ";
}

using Write = std::tuple<uint32_t, uint32_t, uint64_t>;  // offset, bytes, value

TEST_F(PciTest, EditConfigRegisters) {
    const struct {
        std::string script;
        const char* name;   // the register whose value is asked for, if any
        const char* extra;  // after the value prompt
        std::vector<Write> writes;
    } cases[] = {
        {"18\n100\n99\n", "INTLN", "Error: value to big for register\n", {}},
        {"17\nffffffff\n99\n", "EXROM", "", {{0x30, 4, 0xFFFFFFFF}}},
        {"18\nX\n99\n", "INTLN", "", {}},
        {"12\nzz\n99\n", "BADDR1", "", {}},  // unreadable: cancelled, not written
        {"3\n\n99\n", "CMD", "", {}},
        {"", nullptr, "", {}},  // end of input leaves the editor
        {"18\n", "INTLN", "", {}},
        {"18" + std::string(300, ' ') + "7\nX\n99\n", "INTLN", "", {}},  // rest of a long line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.substr(0, 20));
        Install(vornsim::DefaultProfile(1));
        const std::string before = TableAndMenu();
        Console console(c.script.c_str());
        PCI_EditConfigRegs(1, 0, 0);
        std::string expected = before;
        if (c.name) {
            expected += "Enter value (hex format) to write to " + std::string(c.name) +
                        " register (or 'X' to cancel): " + c.extra + TableAndMenu();
        }
        EXPECT_EQ(console.Text(), expected);
        std::vector<Write> writes;
        for (const vornsim::Request& r : RequestsWithCode(WD_IOCTL_PCI_CONFIG)) {
            if (!r.configRead) writes.emplace_back(r.configOffset, r.bytes, r.value);
        }
        EXPECT_EQ(writes, c.writes);
    }
}

TEST_F(PciTest, ConfigAccessesOfOneToFourBytesOnly) {
    const HANDLE hWD = WD_OpenDevice();
    EXPECT_EQ(PCI_ReadConfigReg(hWD, 1, 0, 0, 0x00, 2), 0xCDABu);
    EXPECT_EQ(PCI_WriteConfigReg(hWD, 1, 0, 0, 0x3C, 1, 0x5A), 0u);
    EXPECT_EQ(PCI_ReadConfigReg(hWD, 1, 0, 0, 0x3C, 1), 0x5Au);
    Spy::log.clear();
    for (const uint32_t bytes : {0u, 5u, 8u, 0xFFFFFFFFu}) {
        EXPECT_EQ(PCI_ReadConfigReg(hWD, 1, 0, 0, 0x00, bytes), 0u) << bytes;
        EXPECT_EQ(PCI_WriteConfigReg(hWD, 1, 0, 0, 0x3C, bytes, 0x11), 0x2000001Bu) << bytes;
    }
    EXPECT_TRUE(Spy::log.empty());
    WD_CloseDevice(hWD);
}

// ---- choosing a card, listing resources ---------------------------------------------------

TEST_F(PciTest, ChooseCard) {
    const std::string v = "Enter VendorID: ", d = "Enter DeviceID: ";
    const std::string again = "Do you want to try a different VendorID/DeviceID? ";
    const std::string two = "Found 2 matching PCI cards\nSelect card (1-2): ";
    const std::string range = "Choice out of range\n";
    const struct {
        int cards;
        std::string script, output;
        int chosen;  // card index, or -1 when the user gave up
    } cases[] = {
        {1, "0\ncdab\n305c\n", v, -1},
        {1, "", v, -1},
        {1, "cdab\n305c\n", v + d, 0},
        {2, "CDAB\n305C\n3\nn\n", v + d + two + range + again, -1},
        {2, "cdab\n305c\n2\n", v + d + two, 1},
        {2, "cdab\n305c\n0\ny\ncdab\n305c\n1\n", v + d + two + range + again + v + d + two, 0},
        {1, "1234\n5678\n", v + d + "Could not find PCI card\n" + again, -1},
        {1, "cdab" + std::string(120, ' ') + "1\n305c\n", v + d, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.substr(0, 20));
        const vornsim::Profile profile = vornsim::DefaultProfile(c.cards);
        Install(profile);
        WdPciSlot slot{0xEE, 0xEE, 0xEE};
        Console console(c.script.c_str());
        EXPECT_EQ(PCI_ChooseCard(&slot), c.chosen >= 0 ? 1 : 0);
        EXPECT_EQ(console.Text(), c.output);
        if (c.chosen >= 0) {
            const vornsim::CardProfile& card = profile.cards[c.chosen];
            EXPECT_EQ(std::tie(slot.bus, slot.slot, slot.function),
                      std::tie(card.bus, card.slot, card.function));
        }
    }
}

TEST(PrintItems, OneLinePerItemTypeAndAtMostTwenty) {
    WdCardResources card{};
    card.itemCount = 5;
    const uint32_t types[] = {WD_ITEM_INTERRUPT, WD_ITEM_MEMORY, WD_ITEM_IO, WD_ITEM_BUS, 4};
    for (int i = 0; i < 5; ++i) card.items[i].type = types[i];
    card.items[0].u.interrupt.number = 11;
    card.items[1].u.memory.physAddr = 0xE0001000;
    card.items[1].u.memory.bytes = 0x80;
    card.items[2].u.io = {0xD080, 16, 2};
    card.items[3].u.bus = {5, 1, 0x1A};
    Console console;
    WD_PrintItems(&card, "-> ");
    EXPECT_EQ(console.Text(),
              "-> Item Interrupt: irq 11\n"
              "-> Item Memory: range 0xe0001000-0xe000107f\n"
              "-> Item IO: range 0xd080-0xd08f\n"
              "-> Item Bus: type 5, bus number 1, slot/func 0x1a\n"
              "-> Item Invalid item type\n");

    for (WdResourceItem& item : card.items) item = card.items[0];
    card.itemCount = 1000;
    Console clamped;
    WD_PrintItems(&card, "");
    std::string expected;
    for (int i = 0; i < 20; ++i) expected += "Item Interrupt: irq 11\n";
    EXPECT_EQ(clamped.Text(), expected);
}

TEST_F(PciTest, BusScanListsEveryDeviceWithItsResources) {
    Install(vornsim::DefaultProfile(1));
    WdPciScan scan{};  // what the bus holds, as the service reports it
    ASSERT_EQ(WD_DeviceIoControl(WD_IOCTL_PCI_SCAN, INVALID_HANDLE_VALUE, &scan, sizeof(scan), 1),
              0u);
    ASSERT_GE(scan.count, 2u);  // our card and a foreign device
    Console console(std::string(scan.count, '\n').c_str());
    PCI_BusScan();
    const std::string text = console.Text();
    ASSERT_EQ(text.rfind("Pci bus scan:\n\n", 0), 0u);
    size_t at = 0;
    for (uint32_t i = 0; i < scan.count; ++i) {
        char header[96];
        std::snprintf(header, sizeof(header),
                      "Bus %u Slot %u Function %u, VendorID %04x DeviceID %04x\n   Item ",
                      scan.slots[i].bus, scan.slots[i].slot, scan.slots[i].function,
                      scan.ids[i].vendorId, scan.ids[i].deviceId);
        at = text.find(header, at);
        ASSERT_NE(at, std::string::npos) << header;
        at = text.find("Press Enter to continue to next slot\n", at);
        ASSERT_NE(at, std::string::npos);
    }
    EXPECT_NE(text.find("   Item IO: range 0x"), std::string::npos);
    EXPECT_NE(text.find("   Item Interrupt: irq "), std::string::npos);
}

// ---- driver events --------------------------------------------------------------------------

TEST(EventRecords, SizesCapAndMissingEntries) {
    for (const auto& [n, bytes] : {std::pair{0u, 68u}, {1u, 68u}, {3u, 88u}, {256u, 2618u}}) {
        WdEvent* const event = EventAlloc(n);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(_msize(event), bytes) << n;
        EXPECT_EQ(std::make_tuple(event->version, event->matchCount, event->handle),
                  std::make_tuple(1u, n, 0u));
        EventFree(event);
    }
    static const uint8_t entries[30] = {};
    // 0x1999999A entries would wrap the size computation to a tiny block.
    for (const uint32_t n : {257u, 0x1999999Au, 0xFFFFFFFFu}) {
        EXPECT_EQ(EventAlloc(n), nullptr) << n;
        EXPECT_EQ(EventCreateMatch(entries, n, 0, 0), nullptr) << n;
    }
    EXPECT_EQ(EventCreateMatch(entries, 0, 0, 0), nullptr);
    EXPECT_EQ(EventCreateMatch(nullptr, 2, 0, 0), nullptr);
}

volatile LONG g_calls = 0;
uint32_t g_action = 0;
void OnEvent(WdEvent* event, void*) {
    g_action = event->action;
    InterlockedIncrement(&g_calls);
}

// The register request carries the record's real size and all its entries; an injected
// event calls back once; unregister ends the thread. Without a record, or when the wait
// cannot be enabled, nothing is left registered.
TEST_F(PciTest, EventRoundTrip) {
    uint8_t entries[30];
    for (int i = 0; i < 30; ++i) entries[i] = static_cast<uint8_t>(0x30 + i);
    WdEvent* const event = EventCreateMatch(entries, 3, 0, 0x10);
    const HANDLE hWD = WD_OpenDevice();
    EventRegistration* registration = nullptr;
    g_calls = 0;
    ASSERT_EQ(EventRegister(&registration, hWD, event, OnEvent, nullptr), 0u);
    const auto registers = Spy::WithCode(WD_IOCTL_EVENT_REGISTER);
    ASSERT_EQ(registers.at(0).record.size(), 88u);
    EXPECT_EQ(std::memcmp(registers[0].record.data() + 56, entries, 30), 0);
    EXPECT_EQ(InterruptThreadsAlive(), 1);
    ASSERT_TRUE(WaitUntil([] { return vornsim::GetCounters().pendingWaits == 1; }));
    vornsim::InjectEvent(event->handle, 0x10);
    ASSERT_TRUE(WaitUntil([] { return g_calls == 1; }));
    ASSERT_TRUE(WaitUntil([] { return vornsim::GetCounters().pendingWaits == 1; }));
    EXPECT_EQ(EventUnregister(registration), 0u);
    EXPECT_EQ(InterruptThreadsAlive(), 0);
    EXPECT_EQ(std::make_pair(g_calls, g_action), std::make_pair(LONG{1}, 0x10u));
    EXPECT_EQ(Spy::WithCode(WD_IOCTL_EVENT_UNREGISTER).at(0).As<WdEvent>().handle, event->handle);
    EXPECT_EQ(EventUnregister(nullptr), 0x20000001u);

    EXPECT_NE(EventRegister(&registration, hWD, nullptr, OnEvent, nullptr), 0u);
    EXPECT_EQ(registration, nullptr);
    vornsim::FailInterruptEnable(true);
    EXPECT_NE(EventRegister(&registration, hWD, event, OnEvent, nullptr), 0u);
    vornsim::FailInterruptEnable(false);
    EXPECT_EQ(registration, nullptr);
    EXPECT_EQ(Spy::WithCode(WD_IOCTL_EVENT_UNREGISTER).size(), 2u);
    EventFree(event);
    WD_CloseDevice(hWD);
}

// ---- operating-system helpers and the debug message -------------------------------------

TEST(OsHelpers, EventsVersionClassPathsAndFree) {
    Watchdog watchdog;
    HANDLE event = nullptr;
    ASSERT_EQ(OsEventCreate(&event), 0u);
    EXPECT_EQ(OsEventWait(event, 0), 0x20000015u);
    EXPECT_EQ(OsEventSignal(event), 0u);
    EXPECT_EQ(OsEventWait(event, 0), 0u);
    EXPECT_EQ(OsEventWait(event, 0), 0x20000015u) << "the wait resets the event";
    // 4294968 s would wrap to 704 ms in 32-bit milliseconds.
    std::thread signaller([event] {
        Sleep(1500);
        OsEventSignal(event);
    });
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(OsEventWait(event, 4294968), 0u);
    EXPECT_GE(GetTickCount64() - start, 1400u);
    signaller.join();
    OsEventClose(event);
    int fromThread = 0;
    std::thread([&] { fromThread = GetOsVersionClass(); }).join();
    EXPECT_EQ(fromThread, 5);  // Wine reports an NT platform of version 5 or later
    EXPECT_EQ(GetOsVersionClass(), 5);

    std::string path = "C:\\dir/mixed\\x";
    ConvertPathSeparators(path.data(), 1);
    EXPECT_EQ(path, "C:/dir/mixed/x");
    ConvertPathSeparators(path.data(), 0);
    EXPECT_EQ(path, "C:\\dir\\mixed\\x");
    ConvertPathSeparators(nullptr, 1);

    void* block = std::malloc(32);
    FreeIndirect(&block);
    EXPECT_EQ(block, nullptr);
    FreeIndirect(&block);
    FreeIndirect(nullptr);
}

TEST_F(PciTest, DebugMessageIsCutAt255Characters) {
    WD_DebugMessage(7, 0xDEADBEEF, "axis %d: %s", 2, "ok");
    std::string text;
    for (size_t i = 0; i < 400; ++i) text += static_cast<char>('a' + i % 26);
    for (const size_t length : {255u, 256u, 400u}) {
        WD_DebugMessage(1, 2, "%s", text.substr(0, length).c_str());
    }
    const auto sent = Spy::WithCode(WD_IOCTL_DEBUG_ADD);
    ASSERT_EQ(sent.size(), 4u);
    const WdDebugAdd first = sent[0].As<WdDebugAdd>();
    EXPECT_STREQ(first.text, "axis 2: ok");
    EXPECT_EQ(std::make_tuple(first.value1, first.value2), std::make_tuple(7u, 0xDEADBEEFu));
    for (size_t i = 1; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].record.size(), sizeof(WdDebugAdd));
        const WdDebugAdd record = sent[i].As<WdDebugAdd>();
        EXPECT_EQ(std::string(record.text, strnlen(record.text, sizeof(record.text))),
                  text.substr(0, 255));
        EXPECT_EQ(vornsim::DebugMessages().at(i), text.substr(0, 255));
    }
}

}  // namespace
