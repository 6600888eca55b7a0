#include "prop_exchange.h"

HRESULT CPropExchange::ExchangeDword(DWORD& value) {
    BYTE bytes[4];
    switch (m_mode) {
        case Mode::Measure:
            break;
        case Mode::Save: {
            for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(value >> (8 * i));
            ULONG written = 0;
            const HRESULT hr = m_stream->Write(bytes, sizeof(bytes), &written);
            if (FAILED(hr)) return hr;
            if (written != sizeof(bytes)) return STG_E_WRITEFAULT;
            break;
        }
        case Mode::Load: {
            ULONG read = 0;
            const HRESULT hr = m_stream->Read(bytes, sizeof(bytes), &read);
            if (FAILED(hr)) return hr;
            if (read != sizeof(bytes)) return STG_E_READFAULT;
            value = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 |
                    static_cast<DWORD>(bytes[2]) << 16 | static_cast<DWORD>(bytes[3]) << 24;
            break;
        }
    }
    m_bytes += 4;
    return S_OK;
}

HRESULT CPropExchange::ExchangeLong(LONG& value) {
    DWORD word = static_cast<DWORD>(value);
    const HRESULT hr = ExchangeDword(word);
    if (SUCCEEDED(hr)) value = static_cast<LONG>(word);
    return hr;
}

HRESULT CPropExchange::ExchangeVersion(DWORD current, DWORD* loaded) {
    DWORD version = current;
    const HRESULT hr = ExchangeDword(version);
    if (FAILED(hr)) return hr;
    if (loaded != nullptr) *loaded = version;
    if (IsLoading() && version > current) return STG_E_OLDDLL;
    return S_OK;
}
