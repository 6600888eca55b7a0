#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "p9050.h"
#include "p9050_message.h"
#include "wd_client.h"

namespace {

constexpr uint32_t kConfigBar0 = 0x10;

uint32_t QueryVersion(HANDLE hWD) {
    WdVersion version{};
    WD_DeviceIoControl(WD_IOCTL_VERSION, hWD, &version, sizeof(version), 0);
    return version.version;
}

uint32_t ConfigAccess(P9050Handle* hPlx, uint32_t offset, uint32_t* value, bool isRead) {
    WdPciConfigAccess access{};
    access.bus = hPlx->pciSlot.bus;
    access.slot = hPlx->pciSlot.slot;
    access.function = hPlx->pciSlot.function;
    access.buffer = value;
    access.offset = offset;
    access.bytes = sizeof(*value);
    access.isRead = isRead ? 1 : 0;
    return WD_DeviceIoControl(WD_IOCTL_PCI_CONFIG, hPlx->hWD, &access, sizeof(access), 0);
}

// Releases whatever a handle holds: its registration, its device handle, its memory.
void DiscardHandle(P9050Handle* hPlx) {
    if (hPlx->cardReg.cardHandle != 0) {
        WD_DeviceIoControl(WD_IOCTL_CARD_UNREGISTER, hPlx->hWD, &hPlx->cardReg,
                           sizeof(hPlx->cardReg), 0);
    }
    if (hPlx->hWD != INVALID_HANDLE_VALUE) {
        WD_CloseDevice(hPlx->hWD);
    }
    HeapFree(GetProcessHeap(), 0, hPlx);
}

// A handle under construction: discarded unless it is handed to the caller.
class PendingHandle {
public:
    explicit PendingHandle(P9050Handle* hPlx) : m_hPlx(hPlx) {}
    ~PendingHandle() {
        if (m_hPlx) {
            DiscardHandle(m_hPlx);
        }
    }
    PendingHandle(const PendingHandle&) = delete;
    PendingHandle& operator=(const PendingHandle&) = delete;

    P9050Handle* operator->() const { return m_hPlx; }
    P9050Handle* get() const { return m_hPlx; }
    P9050Handle* Release() {
        P9050Handle* const hPlx = m_hPlx;
        m_hPlx = nullptr;
        return hPlx;
    }

private:
    P9050Handle* m_hPlx;
};

}  // namespace

uint32_t P9050_CountCards(uint32_t vendorId, uint32_t deviceId, char* msg) {
    P9050_SetMessage(msg, "%s", "");
    const HANDLE hWD = WD_OpenDevice();
    if (hWD == INVALID_HANDLE_VALUE) {
        P9050_SetMessage(msg, "Failed opening PCI service device\n");
        return 0;
    }
    if (QueryVersion(hWD) < WD_VERSION_REQUIRED) {
        P9050_SetMessage(msg, "Incorrect PCI service version\n");
        WD_CloseDevice(hWD);
        return 0;
    }
    WdPciScan scan{};
    scan.vendorId = vendorId;
    scan.deviceId = deviceId;
    const uint32_t status = WD_DeviceIoControl(WD_IOCTL_PCI_SCAN, hWD, &scan, sizeof(scan), 0);
    WD_CloseDevice(hWD);

    const uint32_t count = std::min<uint32_t>(scan.count, WD_MAX_PCI_CARDS);
    if (status != WD_STATUS_SUCCESS) {
        P9050_SetMessage(msg, "WD_PciScanCards() failed with status 0x%x - %s\n", status,
                         WD_StatusText(status));
    } else if (count == 0) {
        P9050_SetMessage(msg, "no cards found\n");
    } else {
        P9050_SetMessage(msg, "No Error\n");
    }
    return count;
}

int P9050_Open(P9050Handle** phPlx, uint32_t vendorId, uint32_t deviceId, uint32_t cardIndex,
               uint32_t options, char* msg) {
    PendingHandle hPlx(static_cast<P9050Handle*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(P9050Handle))));
    *phPlx = nullptr;
    P9050_SetMessage(msg, "%s", "");
    if (!hPlx.get()) {
        return 0;
    }

    hPlx->hWD = WD_OpenDevice();
    if (hPlx->hWD == INVALID_HANDLE_VALUE) {
        P9050_SetMessage(msg, "Failed opening PCI service device\n");
        return 0;
    }
    if (QueryVersion(hPlx->hWD) < WD_VERSION_REQUIRED) {
        P9050_SetMessage(msg, "Incorrect PCI service version\n");
        return 0;
    }

    // A failed scan leaves the zeroed record: no card.
    WdPciScan scan{};
    scan.vendorId = vendorId;
    scan.deviceId = deviceId;
    WD_DeviceIoControl(WD_IOCTL_PCI_SCAN, hPlx->hWD, &scan, sizeof(scan), 0);
    const uint32_t count = std::min<uint32_t>(scan.count, WD_MAX_PCI_CARDS);
    if (count == 0) {
        P9050_SetMessage(msg, "Could not find PCI card\n");
        return 0;
    }
    if (cardIndex >= count) {
        P9050_SetMessage(msg, "Card out of range of available cards\n");
        return 0;
    }
    hPlx->pciSlot = scan.slots[cardIndex];

    if (options & 1) {
        // Never write back a value that was not read.
        uint32_t bar0 = 0;
        if (ConfigAccess(hPlx.get(), kConfigBar0, &bar0, true) == WD_STATUS_SUCCESS) {
            bar0 &= ~0x80u;
            ConfigAccess(hPlx.get(), kConfigBar0, &bar0, false);
        }
    }

    WdPciCardInfo info{};
    info.slot = hPlx->pciSlot;
    WD_DeviceIoControl(WD_IOCTL_PCI_CARD_INFO, hPlx->hWD, &info, sizeof(info), 0);
    std::memcpy(&hPlx->cardReg.card, &info.card, sizeof(info.card));
    hPlx->cardReg.checkOnly = 0;
    const uint32_t status = WD_DeviceIoControl(WD_IOCTL_CARD_REGISTER, hPlx->hWD, &hPlx->cardReg,
                                               sizeof(hPlx->cardReg), 0);
    if (hPlx->cardReg.cardHandle == 0) {
        P9050_SetMessage(msg, "Failed locking device. Status 0x%x - %s\n", status,
                         WD_StatusText(status));
        return 0;
    }
    if (!P9050_DetectCardElements(hPlx.get())) {
        P9050_SetMessage(msg, "Card does not have all items expected for PLX 9050\n");
        return 0;
    }

    *phPlx = hPlx.Release();
    P9050_SetMessage(msg, "No Error\n");
    return 1;
}

void P9050_Close(P9050Handle* hPlx) {
    if (!hPlx) {
        return;
    }
    if (hPlx->intThread) {
        P9050_IntDisable(hPlx);
    }
    DiscardHandle(hPlx);
}

void P9050_GetPciSlot(P9050Handle* hPlx, WdPciSlot* slot) { *slot = hPlx->pciSlot; }

uint32_t P9050_ReadPciConfig32(P9050Handle* hPlx, uint32_t offset) {
    uint32_t value = 0;
    ConfigAccess(hPlx, offset, &value, true);
    return value;
}

uint32_t P9050_WritePciConfig32(P9050Handle* hPlx, uint32_t offset, uint32_t value) {
    return ConfigAccess(hPlx, offset, &value, false);
}

int P9050_DetectCardElements(P9050Handle* hPlx) {
    std::memset(&hPlx->intDesc, 0, sizeof(hPlx->intDesc));
    hPlx->intThread = nullptr;
    std::memset(hPlx->intCmds, 0, sizeof(hPlx->intCmds));
    hPlx->pfnIntHandler = nullptr;
    std::memset(hPlx->addrSpaces, 0, sizeof(hPlx->addrSpaces));

    const WdCardResources& card = hPlx->cardReg.card;
    const uint32_t items = std::min<uint32_t>(card.itemCount, WD_MAX_CARD_ITEMS);
    for (uint32_t i = 0; i < items; ++i) {
        const WdResourceItem& item = card.items[i];
        switch (item.type) {
            case WD_ITEM_INTERRUPT:
                if (hPlx->intDesc.handle != 0) {
                    return 0;
                }
                hPlx->intDesc.handle = item.u.interrupt.handle;
                break;
            case WD_ITEM_MEMORY:
                if (item.u.memory.bar < P9050_ADDR_SPACES) {
                    P9050AddrSpace& space = hPlx->addrSpaces[item.u.memory.bar];
                    space = P9050AddrSpace{};
                    space.isMemory = 1;
                    space.bytes = item.u.memory.bytes;
                    space.busAddr = item.u.memory.transAddr;
                    space.userAddr = static_cast<volatile uint8_t*>(item.u.memory.userAddr);
                    space.mask = space.bytes - 1;
                }
                break;
            case WD_ITEM_IO:
                if (item.u.io.bar < P9050_ADDR_SPACES) {
                    P9050AddrSpace& space = hPlx->addrSpaces[item.u.io.bar];
                    space = P9050AddrSpace{};
                    space.isMemory = 0;
                    space.bytes = item.u.io.bytes;
                    space.busAddr = item.u.io.port;
                    space.mask = space.bytes - 1;
                }
                break;
            default:
                break;
        }
    }
    for (uint32_t space = 0; space <= 5; ++space) {
        if (P9050_IsAddrSpaceActive(hPlx, space)) {
            return 1;
        }
    }
    return 0;
}

int P9050_IsAddrSpaceActive(P9050Handle* hPlx, uint32_t space) {
    return space < P9050_ADDR_SPACES && hPlx->addrSpaces[space].busAddr != 0;
}
