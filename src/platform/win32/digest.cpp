// MD5 through the Windows crypto API: nothing to ship, nothing hand-written.
#include "platform/digest.h"

#include <windows.h>
// after <windows.h>, which it needs
#include <wincrypt.h>

#include <algorithm>

namespace drwa::platform {
namespace {

struct Provider {
    HCRYPTPROV handle = 0;
    ~Provider() {
        if (handle) CryptReleaseContext(handle, 0);
    }
};

struct Hash {
    HCRYPTHASH handle = 0;
    ~Hash() {
        if (handle) CryptDestroyHash(handle);
    }
};

}  // namespace

std::string Md5UpperHex(std::string_view bytes) {
    Provider provider;
    // A verify context: no key container is needed for hashing.
    if (!CryptAcquireContextW(&provider.handle, nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT))
        return {};
    Hash hash;
    if (!CryptCreateHash(provider.handle, CALG_MD5, 0, 0, &hash.handle)) return {};
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!CryptHashData(hash.handle, reinterpret_cast<const BYTE*>(bytes.data()), chunk, 0))
            return {};
        bytes.remove_prefix(chunk);
    }
    BYTE digest[16];
    DWORD length = sizeof digest;
    if (!CryptGetHashParam(hash.handle, HP_HASHVAL, digest, &length, 0) || length != sizeof digest)
        return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (BYTE b : digest) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

}  // namespace drwa::platform
