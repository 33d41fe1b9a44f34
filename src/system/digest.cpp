#include "system/digest.h"

#include <windows.h>
#include <wincrypt.h>

#include "system/digest_hook.h"
#include "system/system_libraries.h"
#include "system/text.h"

bool sha256Withheld = false;

namespace {
// As Windows XP SP3 defines them; the headers offer them only to programs for XP and later.
const DWORD PROVIDER_RSA_AES = 24;
const ALG_ID HASH_SHA_256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;

bool Digest(const CryptFunctions& crypto, DWORD provider, ALG_ID algorithm, const void* bytes,
            size_t size, BYTE* value, DWORD valueSize) {
    if (provider == PROVIDER_RSA_AES && sha256Withheld)
        return false;
    HCRYPTPROV context = 0;
    if (!crypto.CryptAcquireContextA(&context, nullptr, nullptr, provider, CRYPT_VERIFYCONTEXT))
        return false;
    HCRYPTHASH hash = 0;
    DWORD got = valueSize;
    bool done =
        crypto.CryptCreateHash(context, algorithm, 0, 0, &hash) &&
        crypto.CryptHashData(hash, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size), 0) &&
        crypto.CryptGetHashParam(hash, HP_HASHVAL, value, &got, 0) && got == valueSize;
    if (hash)
        crypto.CryptDestroyHash(hash);
    crypto.CryptReleaseContext(context, 0);
    return done;
}
} // namespace

bool DigestText(const void* bytes, size_t size, size_t digits, char* text, size_t textSize) {
    if (!text || textSize == 0)
        return false;
    text[0] = '\0';
    // Bound at run time: the first Windows 95 has no CryptoAPI.
    FunctionsUse<CryptFunctions> crypto(&cryptTable);
    BYTE value[SHA256_DIGITS / 2];
    size_t length = 0;
    if (!crypto)
        return false;
    if (digits != SHA1_DIGITS && Digest(*crypto.Get(), PROVIDER_RSA_AES, HASH_SHA_256, bytes, size,
                                        value, SHA256_DIGITS / 2))
        length = SHA256_DIGITS / 2;
    else if (digits != SHA256_DIGITS &&
             Digest(*crypto.Get(), PROV_RSA_FULL, CALG_SHA1, bytes, size, value, SHA1_DIGITS / 2))
        length = SHA1_DIGITS / 2;
    if (length == 0 || textSize <= 2 * length)
        return false;
    for (size_t index = 0; index < length; ++index)
        FormatText(text + 2 * index, textSize - 2 * index, "%02x", value[index]);
    return true;
}
