#include "p9050.h"
#include "wd_client.h"

namespace {

// The one guard in front of the card: an access that does not lie wholly inside a
// present window never reaches a port or memory.
const P9050AddrSpace* Window(const P9050Handle* hPlx, uint32_t space, uint32_t offset,
                             uint32_t bytes) {
    if (!hPlx || space >= P9050_ADDR_SPACES) {
        return nullptr;
    }
    const P9050AddrSpace& window = hPlx->addrSpaces[space];
    if (window.busAddr == 0 || (window.isMemory && !window.userAddr)) {
        return nullptr;
    }
    if (bytes > window.bytes || offset > window.bytes - bytes) {
        return nullptr;
    }
    return &window;
}

// A refused or failed read is 0.
template <typename T>
T RawRead(P9050Handle* hPlx, uint32_t space, uint32_t offset, uint32_t ioCommand) {
    const P9050AddrSpace* window = Window(hPlx, space, offset, sizeof(T));
    if (!window) {
        return 0;
    }
    if (window->isMemory) {
        return *reinterpret_cast<volatile const T*>(window->userAddr + offset);
    }
    WdTransferCmd cmd{};
    cmd.port = window->busAddr + offset;
    cmd.command = ioCommand;
    WD_DeviceIoControl(WD_IOCTL_TRANSFER, hPlx->hWD, &cmd, sizeof(cmd), 0);
    return static_cast<T>(cmd.data.qword);
}

// A refused or failed write is lost.
template <typename T>
void RawWrite(P9050Handle* hPlx, uint32_t space, uint32_t offset, T value, uint32_t ioCommand) {
    const P9050AddrSpace* window = Window(hPlx, space, offset, sizeof(T));
    if (!window) {
        return;
    }
    if (window->isMemory) {
        *reinterpret_cast<volatile T*>(window->userAddr + offset) = value;
        return;
    }
    WdTransferCmd cmd{};
    cmd.port = window->busAddr + offset;
    cmd.command = ioCommand;
    cmd.data.qword = value;
    WD_DeviceIoControl(WD_IOCTL_TRANSFER, hPlx->hWD, &cmd, sizeof(cmd), 0);
}

// The offset inside the window of a local address.
uint32_t WindowOffset(const P9050Handle* hPlx, uint32_t space, uint32_t localAddr) {
    return hPlx && space < P9050_ADDR_SPACES ? localAddr & hPlx->addrSpaces[space].mask : localAddr;
}

uint32_t BlockCommand(bool isMemory, bool isRead, uint32_t mode) {
    static const uint32_t kCommands[2][2][3] = {
        {{WD_WP_SBYTE, WD_WP_SWORD, WD_WP_SDWORD}, {WD_RP_SBYTE, WD_RP_SWORD, WD_RP_SDWORD}},
        {{WD_WM_SBYTE, WD_WM_SWORD, WD_WM_SDWORD}, {WD_RM_SBYTE, WD_RM_SWORD, WD_RM_SDWORD}},
    };
    const uint32_t width = mode == 0 ? 0 : mode == 1 ? 1 : 2;
    return kCommands[isMemory][isRead][width];
}

}  // namespace

uint8_t P9050_ReadByte(P9050Handle* hPlx, uint32_t space, uint32_t offset) {
    return RawRead<uint8_t>(hPlx, space, offset, WD_RP_BYTE);
}

void P9050_WriteByte(P9050Handle* hPlx, uint32_t space, uint32_t offset, uint8_t value) {
    RawWrite<uint8_t>(hPlx, space, offset, value, WD_WP_BYTE);
}

uint16_t P9050_ReadWord(P9050Handle* hPlx, uint32_t space, uint32_t offset) {
    return RawRead<uint16_t>(hPlx, space, offset, WD_RP_WORD);
}

void P9050_WriteWord(P9050Handle* hPlx, uint32_t space, uint32_t offset, uint16_t value) {
    RawWrite<uint16_t>(hPlx, space, offset, value, WD_WP_WORD);
}

uint32_t P9050_ReadDword(P9050Handle* hPlx, uint32_t space, uint32_t offset) {
    return RawRead<uint32_t>(hPlx, space, offset, WD_RP_DWORD);
}

void P9050_WriteDword(P9050Handle* hPlx, uint32_t space, uint32_t offset, uint32_t value) {
    RawWrite<uint32_t>(hPlx, space, offset, value, WD_WP_DWORD);
}

uint32_t P9050_ReadReg(P9050Handle* hPlx, uint32_t reg) { return P9050_ReadDword(hPlx, 0, reg); }

void P9050_WriteReg(P9050Handle* hPlx, uint32_t reg, uint32_t value) {
    P9050_WriteDword(hPlx, 0, reg, value);
}

// Rewritten before every local-address access; the stored value is never compared.
void P9050_SetLocalBase(P9050Handle* hPlx, uint32_t space, uint32_t localAddr) {
    if (!hPlx || space >= P9050_ADDR_SPACES) {
        return;
    }
    P9050AddrSpace& window = hPlx->addrSpaces[space];
    window.localBase = (localAddr & ~window.mask) | 1;
    P9050_WriteReg(hPlx, bridge::LocalBase(space), window.localBase);
}

uint8_t P9050_ReadSpaceByte(P9050Handle* hPlx, uint32_t space, uint32_t localAddr) {
    P9050_SetLocalBase(hPlx, space, localAddr);
    return P9050_ReadByte(hPlx, space, WindowOffset(hPlx, space, localAddr));
}

void P9050_WriteSpaceByte(P9050Handle* hPlx, uint32_t space, uint32_t localAddr, uint8_t value) {
    P9050_SetLocalBase(hPlx, space, localAddr);
    P9050_WriteByte(hPlx, space, WindowOffset(hPlx, space, localAddr), value);
}

uint16_t P9050_ReadSpaceWord(P9050Handle* hPlx, uint32_t space, uint32_t localAddr) {
    P9050_SetLocalBase(hPlx, space, localAddr);
    return P9050_ReadWord(hPlx, space, WindowOffset(hPlx, space, localAddr));
}

void P9050_WriteSpaceWord(P9050Handle* hPlx, uint32_t space, uint32_t localAddr, uint16_t value) {
    P9050_SetLocalBase(hPlx, space, localAddr);
    P9050_WriteWord(hPlx, space, WindowOffset(hPlx, space, localAddr), value);
}

uint32_t P9050_ReadSpaceDword(P9050Handle* hPlx, uint32_t space, uint32_t localAddr) {
    P9050_SetLocalBase(hPlx, space, localAddr);
    return P9050_ReadDword(hPlx, space, WindowOffset(hPlx, space, localAddr));
}

void P9050_WriteSpaceDword(P9050Handle* hPlx, uint32_t space, uint32_t localAddr, uint32_t value) {
    P9050_SetLocalBase(hPlx, space, localAddr);
    P9050_WriteDword(hPlx, space, WindowOffset(hPlx, space, localAddr), value);
}

uint32_t P9050_ReadWriteBlock(P9050Handle* hPlx, uint32_t offset, void* buffer, uint32_t bytes,
                              int isRead, uint32_t space, uint32_t mode) {
    const P9050AddrSpace* window = Window(hPlx, space, offset, bytes);
    if (!window) {
        return WD_INVALID_PARAMETER;
    }
    WdTransferCmd cmd{};
    cmd.port = window->busAddr + offset;
    cmd.command = BlockCommand(window->isMemory != 0, isRead != 0, mode);
    cmd.bytes = bytes;
    cmd.autoIncrement = 1;
    cmd.options = 0;
    cmd.data.buffer = buffer;
    return WD_DeviceIoControl(WD_IOCTL_TRANSFER, hPlx->hWD, &cmd, sizeof(cmd), 0);
}

uint32_t P9050_ReadBlock(P9050Handle* hPlx, uint32_t offset, void* buffer, uint32_t bytes,
                         uint32_t space, uint32_t mode) {
    return P9050_ReadWriteBlock(hPlx, offset, buffer, bytes, 1, space, mode);
}

uint32_t P9050_WriteBlock(P9050Handle* hPlx, uint32_t offset, void* buffer, uint32_t bytes,
                          uint32_t space, uint32_t mode) {
    return P9050_ReadWriteBlock(hPlx, offset, buffer, bytes, 0, space, mode);
}

uint32_t P9050_ReadWriteSpaceBlock(P9050Handle* hPlx, uint32_t localAddr, void* buffer,
                                   uint32_t bytes, int isRead, uint32_t space, uint32_t mode) {
    // Refused before the local base moves, so a refused block leaves the bridge as it was.
    if (!hPlx || space >= P9050_ADDR_SPACES) {
        return WD_INVALID_PARAMETER;
    }
    const uint32_t offset = WindowOffset(hPlx, space, localAddr);
    if (!Window(hPlx, space, offset, bytes)) {
        return WD_INVALID_PARAMETER;
    }
    P9050_SetLocalBase(hPlx, space, localAddr);
    return P9050_ReadWriteBlock(hPlx, offset, buffer, bytes, isRead, space, mode);
}

uint32_t P9050_ReadSpaceBlock(P9050Handle* hPlx, uint32_t localAddr, void* buffer, uint32_t bytes,
                              uint32_t space, uint32_t mode) {
    return P9050_ReadWriteSpaceBlock(hPlx, localAddr, buffer, bytes, 1, space, mode);
}

uint32_t P9050_WriteSpaceBlock(P9050Handle* hPlx, uint32_t localAddr, void* buffer, uint32_t bytes,
                               uint32_t space, uint32_t mode) {
    return P9050_ReadWriteSpaceBlock(hPlx, localAddr, buffer, bytes, 0, space, mode);
}
