// Persistent state of a control as a sequence of little-endian 32-bit words, with one
// exchange routine for loading, saving and measuring. Loading is bounds-checked: a
// stream that ends early fails with STG_E_READFAULT and nothing past its end is read.
#pragma once

#include <objidl.h>

class CPropExchange {
public:
    enum class Mode { Load, Save, Measure };

    // stream may be null for Measure.
    CPropExchange(Mode mode, IStream* stream) : m_mode(mode), m_stream(stream) {}

    bool IsLoading() const { return m_mode == Mode::Load; }
    // Reads into value (Load), writes it (Save) or counts it (Measure).
    HRESULT ExchangeDword(DWORD& value);
    HRESULT ExchangeLong(LONG& value);
    // Saves current; on load refuses a state written by a newer version (major in the
    // high word) with STG_E_OLDDLL. The loaded version is returned in *loaded.
    HRESULT ExchangeVersion(DWORD current, DWORD* loaded = nullptr);

    // Bytes exchanged so far.
    ULONG Bytes() const { return m_bytes; }

private:
    Mode m_mode;
    IStream* m_stream;
    ULONG m_bytes = 0;
};
