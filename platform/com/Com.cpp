// Automation strings, variants and the apartment counters.
#include "platform/com/Com.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace twinleaf::win {
namespace {

constexpr std::size_t kLengthPrefix = sizeof(std::uint32_t);

std::uint32_t* prefixOf(BSTR text) {
    return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - kLengthPrefix);
}

int g_comInitialized = 0;

} // namespace

BSTR SysAllocStringLen(LPCOLESTR text, UINT length) {
    if (length > (std::numeric_limits<std::uint32_t>::max() - kLengthPrefix) / 2 - 1) {
        return nullptr;
    }
    const std::size_t bytes = std::size_t{length} * sizeof(OLECHAR);
    auto* block = static_cast<char*>(std::malloc(kLengthPrefix + bytes + sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    const auto storedBytes = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &storedBytes, kLengthPrefix);
    auto* characters = reinterpret_cast<BSTR>(block + kLengthPrefix);
    if (text != nullptr) {
        std::memcpy(characters, text, bytes);
    } else {
        std::memset(characters, 0, bytes);
    }
    characters[length] = u'\0';
    return characters;
}

BSTR SysAllocString(LPCOLESTR text) {
    if (text == nullptr) {
        return nullptr;
    }
    return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

void SysFreeString(BSTR text) {
    if (text != nullptr) {
        std::free(prefixOf(text));
    }
}

UINT SysStringLen(BSTR text) {
    if (text == nullptr) {
        return 0;
    }
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, prefixOf(text), kLengthPrefix);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANT* variant) {
    if (variant != nullptr) {
        std::memset(variant, 0, sizeof(VARIANT));
        variant->vt = VT_EMPTY;
    }
}

HRESULT VariantClear(VARIANT* variant) {
    if (variant == nullptr) {
        return E_INVALIDARG;
    }
    switch (variant->vt) {
    case VT_BSTR:
        SysFreeString(variant->bstrVal);
        break;
    case VT_DISPATCH:
        if (variant->pdispVal != nullptr) {
            variant->pdispVal->Release();
        }
        break;
    case VT_UNKNOWN:
        if (variant->punkVal != nullptr) {
            variant->punkVal->Release();
        }
        break;
    default:
        break;
    }
    VariantInit(variant);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
    if (destination == nullptr || source == nullptr) {
        return E_INVALIDARG;
    }
    if (destination == source) {
        return S_OK;
    }
    VariantClear(destination);
    *destination = *source;
    switch (source->vt) {
    case VT_BSTR:
        if (source->bstrVal != nullptr) {
            destination->bstrVal =
                SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
            if (destination->bstrVal == nullptr) {
                VariantInit(destination);
                return E_OUTOFMEMORY;
            }
        }
        break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (source->punkVal != nullptr) {
            source->punkVal->AddRef();
        }
        break;
    default:
        break;
    }
    return S_OK;
}

HRESULT CoInitialize(void* /*reserved*/) {
    return g_comInitialized++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (g_comInitialized > 0) {
        --g_comInitialized;
    }
}

Bstr::Bstr(std::u16string_view text)
    : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
    if (this != &other) {
        SysFreeString(m_text);
        m_text = other.release();
    }
    return *this;
}

BSTR Bstr::release() {
    BSTR text = m_text;
    m_text = nullptr;
    return text;
}

} // namespace twinleaf::win
