// PCI diagnostics console. Every line is read with a bound, and the rest of a longer
// line is thrown away so that it cannot answer the next prompt; end of input always
// leads out of a dialogue.
#include "pci_diag.h"

#include <algorithm>
#include <cstring>

#include "wd_client.h"

namespace {

struct ConfigRegister {
    const char* name;
    uint32_t offset;
    uint32_t bytes;
};

constexpr ConfigRegister kConfigRegisters[] = {
    {"VID", 0x00, 2},    {"DID", 0x02, 2},    {"CMD", 0x04, 2},    {"STS", 0x06, 2},
    {"RID", 0x08, 1},    {"CLCD", 0x09, 3},   {"CALN", 0x0C, 1},   {"LAT", 0x0D, 1},
    {"HDR", 0x0E, 1},    {"BIST", 0x0F, 1},   {"BADDR0", 0x10, 4}, {"BADDR1", 0x14, 4},
    {"BADDR2", 0x18, 4}, {"BADDR3", 0x1C, 4}, {"BADDR4", 0x20, 4}, {"BADDR5", 0x24, 4},
    {"EXROM", 0x30, 4},  {"INTLN", 0x3C, 1},  {"INTPIN", 0x3D, 1}, {"MINGNT", 0x3E, 1},
    {"MAXLAT", 0x3F, 1},
};
constexpr int kConfigRegisterCount = sizeof(kConfigRegisters) / sizeof(kConfigRegisters[0]);
constexpr int kLeftColumnRegisters = 10;
constexpr int kTableRows = 11;
constexpr int kExitChoice = 99;

constexpr int kShortLine = 100;
constexpr int kLongLine = 256;

// Reads one line of at most maxChars characters into line (maxChars + 1 bytes).
// Returns false at end of input.
bool ReadLine(char* line, int maxChars) {
    fflush(stdout);
    if (!fgets(line, maxChars + 1, stdin)) {
        line[0] = '\0';
        return false;
    }
    if (!strchr(line, '\n')) {
        int c;
        while ((c = getchar()) != '\n' && c != EOF) {
        }
    }
    return true;
}

bool ScanHex(const char* line, uint32_t* value) {
    unsigned int v = 0;
    if (sscanf(line, "%x", &v) != 1) return false;
    *value = v;
    return true;
}

void PrintRegisterCell(HANDLE hWD, const WdPciSlot& slot, int index) {
    const ConfigRegister& reg = kConfigRegisters[index];
    const uint32_t value =
        PCI_ReadConfigReg(hWD, slot.bus, slot.slot, slot.function, reg.offset, reg.bytes);
    const int digits = static_cast<int>(reg.bytes) * 2;
    printf("%2d. %6s : %0*x %*s    ", index + 1, reg.name, digits, value, 8 - digits, "");
}

void PrintRegisterTable(HANDLE hWD, const WdPciSlot& slot) {
    printf("\n");
    printf("Edit PCI configuration registers\n");
    printf("--------------------------------\n");
    for (int row = 0; row < kTableRows; ++row) {
        if (row < kLeftColumnRegisters) {
            PrintRegisterCell(hWD, slot, row);
        } else {
            printf("%26s", "");
        }
        PrintRegisterCell(hWD, slot, row + kLeftColumnRegisters);
        printf("\n");
    }
}

bool ValueFits(uint32_t value, uint32_t bytes) { return bytes >= 4 || (value >> (8 * bytes)) == 0; }

uint32_t ConfigAccess(HANDLE hWD, uint32_t bus, uint32_t slot, uint32_t function, uint32_t offset,
                      uint32_t bytes, uint32_t* value, bool isRead) {
    WdPciConfigAccess access{};
    access.bus = bus;
    access.slot = slot;
    access.function = function;
    access.buffer = value;
    access.offset = offset;
    access.bytes = bytes;
    access.isRead = isRead ? 1 : 0;
    return WD_DeviceIoControl(WD_IOCTL_PCI_CONFIG, hWD, &access, sizeof(access), 0);
}

bool ValidConfigWidth(uint32_t bytes) { return bytes >= 1 && bytes <= 4; }

}  // namespace

void WD_PrintItems(const WdCardResources* card, const char* prefix) {
    const uint32_t count = std::min<uint32_t>(card->itemCount, WD_MAX_CARD_ITEMS);
    for (uint32_t i = 0; i < count; ++i) {
        const WdResourceItem& item = card->items[i];
        printf("%sItem ", prefix);
        switch (item.type) {
            case WD_ITEM_INTERRUPT:
                printf("Interrupt: irq %u", item.u.interrupt.number);
                break;
            case WD_ITEM_MEMORY:
                printf("Memory: range 0x%x-0x%x", item.u.memory.physAddr,
                       item.u.memory.physAddr + item.u.memory.bytes - 1);
                break;
            case WD_ITEM_IO:
                printf("IO: range 0x%x-0x%x", item.u.io.port, item.u.io.port + item.u.io.bytes - 1);
                break;
            case WD_ITEM_BUS:
                printf("Bus: type %u, bus number %u, slot/func 0x%x", item.u.bus.busType,
                       item.u.bus.busNumber, item.u.bus.slotFunction);
                break;
            default:
                printf("Invalid item type");
                break;
        }
        printf("\n");
    }
}

void PCI_PrintCardInfo(uint32_t bus, uint32_t slot, uint32_t function) {
    HANDLE hWD;
    if (!WD_OpenAndCheckVersion(&hWD)) return;
    WdPciCardInfo info{};
    info.slot = WdPciSlot{bus, slot, function};
    const uint32_t status = WD_DeviceIoControl(WD_IOCTL_PCI_CARD_INFO, hWD, &info, sizeof(info), 0);
    if (status) {
        printf("WD_PciGetCardInfo() failed (0x%x) - %s\n", status, WD_StatusText(status));
    } else {
        WD_PrintItems(&info.card, "   ");
    }
    WD_CloseDevice(hWD);
}

void PCI_BusScan() {
    HANDLE hWD;
    if (!WD_OpenAndCheckVersion(&hWD)) return;
    printf("Pci bus scan:\n\n");
    WdPciScan scan{};
    const uint32_t status = WD_DeviceIoControl(WD_IOCTL_PCI_SCAN, hWD, &scan, sizeof(scan), 0);
    if (status) {
        printf("WD_PciScanCards() failed (0x%x) - %s\n", status, WD_StatusText(status));
    } else {
        const uint32_t count = std::min<uint32_t>(scan.count, WD_MAX_PCI_CARDS);
        for (uint32_t i = 0; i < count; ++i) {
            const WdPciSlot& slot = scan.slots[i];
            printf("Bus %u Slot %u Function %u, VendorID %04x DeviceID %04x\n", slot.bus, slot.slot,
                   slot.function, scan.ids[i].vendorId, scan.ids[i].deviceId);
            PCI_PrintCardInfo(slot.bus, slot.slot, slot.function);
            printf("Press Enter to continue to next slot\n");
            char line[kShortLine + 1];
            ReadLine(line, kShortLine);
        }
    }
    WD_CloseDevice(hWD);
}

uint32_t PCI_ReadConfigReg(HANDLE hWD, uint32_t bus, uint32_t slot, uint32_t function,
                           uint32_t offset, uint32_t bytes) {
    uint32_t value = 0;
    if (ValidConfigWidth(bytes))
        ConfigAccess(hWD, bus, slot, function, offset, bytes, &value, true);
    return value;
}

uint32_t PCI_WriteConfigReg(HANDLE hWD, uint32_t bus, uint32_t slot, uint32_t function,
                            uint32_t offset, uint32_t bytes, uint32_t value) {
    if (!ValidConfigWidth(bytes)) return WD_INVALID_PARAMETER;
    return ConfigAccess(hWD, bus, slot, function, offset, bytes, &value, false);
}

void PCI_EditConfigRegs(uint32_t bus, uint32_t slot, uint32_t function) {
    HANDLE hWD;
    if (!WD_OpenAndCheckVersion(&hWD)) return;
    const WdPciSlot pciSlot{bus, slot, function};
    char line[kLongLine + 1];
    for (;;) {
        PrintRegisterTable(hWD, pciSlot);
        printf("99. Back to main menu\n");
        printf("Choose register to write to, or 99 to exit: ");
        if (!ReadLine(line, kLongLine)) break;
        int choice = 0;
        if (sscanf(line, "%d", &choice) != 1) choice = 0;
        if (choice == kExitChoice) break;
        if (choice < 1 || choice > kConfigRegisterCount) continue;

        const ConfigRegister& reg = kConfigRegisters[choice - 1];
        printf("Enter value (hex format) to write to %s register (or 'X' to cancel): ", reg.name);
        if (!ReadLine(line, kLongLine) || line[0] == 'x' || line[0] == 'X') continue;
        uint32_t value = 0;
        // A value that cannot be read is never written.
        if (!ScanHex(line, &value)) continue;
        if (!ValueFits(value, reg.bytes)) {
            printf("Error: value to big for register\n");
            continue;
        }
        PCI_WriteConfigReg(hWD, bus, slot, function, reg.offset, reg.bytes, value);
    }
    WD_CloseDevice(hWD);
}

int PCI_ChooseCard(WdPciSlot* slot) {
    HANDLE hWD;
    if (!WD_OpenAndCheckVersion(&hWD)) return 0;
    int chosen = 0;
    char line[kShortLine + 1];
    for (;;) {
        uint32_t vendorId = 0;
        uint32_t deviceId = 0;
        printf("Enter VendorID: ");
        if (!ReadLine(line, kShortLine) || !ScanHex(line, &vendorId) || vendorId == 0) break;
        printf("Enter DeviceID: ");
        if (!ReadLine(line, kShortLine)) break;
        ScanHex(line, &deviceId);

        WdPciScan scan{};
        scan.vendorId = vendorId;
        scan.deviceId = deviceId;
        const uint32_t status = WD_DeviceIoControl(WD_IOCTL_PCI_SCAN, hWD, &scan, sizeof(scan), 0);
        const uint32_t count = std::min<uint32_t>(scan.count, WD_MAX_PCI_CARDS);
        if (status) {
            printf("WD_PciScanCards() failed (0x%x) - %s\n", status, WD_StatusText(status));
        } else if (count == 0) {
            printf("Could not find PCI card\n");
        } else if (count == 1) {
            *slot = scan.slots[0];
            chosen = 1;
            break;
        } else {
            printf("Found %u matching PCI cards\n", count);
            printf("Select card (1-%u): ", count);
            unsigned int choice = 0;
            if (ReadLine(line, kShortLine) && sscanf(line, "%u", &choice) != 1) choice = 0;
            if (choice < 1 || choice > count) {
                printf("Choice out of range\n");
            } else {
                *slot = scan.slots[choice - 1];
                chosen = 1;
                break;
            }
        }
        printf("Do you want to try a different VendorID/DeviceID? ");
        if (!ReadLine(line, kShortLine) || (line[0] != 'y' && line[0] != 'Y')) break;
    }
    WD_CloseDevice(hWD);
    return chosen;
}
