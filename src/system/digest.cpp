#include "system/digest.h"

#include <windows.h>
#include <wincrypt.h>

#include "system/digest_hook.h"
#include "system/library_binding.h"
#include "system/text.h"

bool sha256Withheld = false;

namespace {
// As Windows XP SP3 defines them; the headers offer them only to programs for XP and later.
const DWORD PROVIDER_RSA_AES = 24;
const ALG_ID HASH_SHA_256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;

// Bound at run time: the first Windows 95 has no CryptoAPI.
struct CryptoFunctions {
    BOOL(WINAPI* acquire)(HCRYPTPROV*, LPCSTR, LPCSTR, DWORD, DWORD);
    BOOL(WINAPI* release)(HCRYPTPROV, DWORD);
    BOOL(WINAPI* create)(HCRYPTPROV, ALG_ID, HCRYPTKEY, DWORD, HCRYPTHASH*);
    BOOL(WINAPI* hashData)(HCRYPTHASH, const BYTE*, DWORD, DWORD);
    BOOL(WINAPI* getParam)(HCRYPTHASH, DWORD, BYTE*, DWORD*, DWORD);
    BOOL(WINAPI* destroy)(HCRYPTHASH);

    bool Bind() {
        HMODULE advapi = GetModuleHandleA("advapi32.dll");
        return BindProc(advapi, "CryptAcquireContextA", acquire) &&
               BindProc(advapi, "CryptReleaseContext", release) &&
               BindProc(advapi, "CryptCreateHash", create) &&
               BindProc(advapi, "CryptHashData", hashData) &&
               BindProc(advapi, "CryptGetHashParam", getParam) &&
               BindProc(advapi, "CryptDestroyHash", destroy);
    }
};

bool Digest(const CryptoFunctions& crypto, DWORD provider, ALG_ID algorithm, const void* bytes,
            size_t size, BYTE* value, DWORD valueSize) {
    if (provider == PROVIDER_RSA_AES && sha256Withheld)
        return false;
    HCRYPTPROV context = 0;
    if (!crypto.acquire(&context, nullptr, nullptr, provider, CRYPT_VERIFYCONTEXT))
        return false;
    HCRYPTHASH hash = 0;
    DWORD got = valueSize;
    bool done =
        crypto.create(context, algorithm, 0, 0, &hash) &&
        crypto.hashData(hash, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size), 0) &&
        crypto.getParam(hash, HP_HASHVAL, value, &got, 0) && got == valueSize;
    if (hash)
        crypto.destroy(hash);
    crypto.release(context, 0);
    return done;
}
} // namespace

bool DigestText(const void* bytes, size_t size, size_t digits, char* text, size_t textSize) {
    if (!text || textSize == 0)
        return false;
    text[0] = '\0';
    CryptoFunctions crypto;
    BYTE value[SHA256_DIGITS / 2];
    size_t length = 0;
    if (!crypto.Bind())
        return false;
    if (digits != SHA1_DIGITS &&
        Digest(crypto, PROVIDER_RSA_AES, HASH_SHA_256, bytes, size, value, SHA256_DIGITS / 2))
        length = SHA256_DIGITS / 2;
    else if (digits != SHA256_DIGITS &&
             Digest(crypto, PROV_RSA_FULL, CALG_SHA1, bytes, size, value, SHA1_DIGITS / 2))
        length = SHA1_DIGITS / 2;
    if (length == 0 || textSize <= 2 * length)
        return false;
    for (size_t index = 0; index < length; ++index)
        FormatText(text + 2 * index, textSize - 2 * index, "%02x", value[index]);
    return true;
}
