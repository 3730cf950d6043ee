// HMAC-SHA256 and random bytes from CryptoAPI. The HMAC key goes in as a plain-text key blob
// of CALG_RC2 with CRYPT_IPSEC_HMAC_KEY, the documented way to give CALG_HMAC a key of any
// length; a key longer than SHA-256's block is hashed first, as HMAC prescribes.
#include "package/win32/win_crypto.h"

#include <vector>

namespace lr {

namespace {

// The headers offer SHA-256 only for Vista and later; XP SP3's provider has it under this id.
#ifndef CALG_SHA_256
constexpr ALG_ID CALG_SHA_256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;
#endif

constexpr size_t kBlockBytes = 64;

struct HashHolder {
  HCRYPTHASH hash = 0;
  ~HashHolder() {
    if (hash) CryptDestroyHash(hash);
  }
};

struct KeyHolder {
  HCRYPTKEY key = 0;
  ~KeyHolder() {
    if (key) CryptDestroyKey(key);
  }
};

std::string HashValue(HCRYPTHASH hash, std::string_view data) {
  if (!CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()),
                     static_cast<DWORD>(data.size()), 0))
    return {};
  BYTE value[32];
  DWORD size = sizeof value;
  if (!CryptGetHashParam(hash, HP_HASHVAL, value, &size, 0) || size != sizeof value) return {};
  return std::string(reinterpret_cast<const char*>(value), size);
}

}  // namespace

WinCrypto::~WinCrypto() {
  if (provider_) CryptReleaseContext(provider_, 0);
}

bool WinCrypto::Acquire() {
  if (!provider_ &&
      !CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
    provider_ = 0;
  return provider_ != 0;
}

std::string WinCrypto::Sha256(std::string_view data) {
  HashHolder h;
  if (!Acquire() || !CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &h.hash)) return {};
  return HashValue(h.hash, data);
}

std::string WinCrypto::HmacSha256(std::string_view key, std::string_view data) {
  std::string hashed;
  if (key.size() > kBlockBytes) {
    hashed = Sha256(key);
    if (hashed.empty()) return {};
    key = hashed;
  }
  if (!Acquire()) return {};
  // BLOBHEADER, the key's length, the key.
  std::vector<BYTE> blob(sizeof(BLOBHEADER) + sizeof(DWORD) + key.size());
  BLOBHEADER header{PLAINTEXTKEYBLOB, CUR_BLOB_VERSION, 0, CALG_RC2};
  const DWORD length = static_cast<DWORD>(key.size());
  memcpy(blob.data(), &header, sizeof header);
  memcpy(blob.data() + sizeof header, &length, sizeof length);
  if (!key.empty()) memcpy(blob.data() + sizeof header + sizeof length, key.data(), key.size());
  KeyHolder k;
  if (!CryptImportKey(provider_, blob.data(), static_cast<DWORD>(blob.size()), 0,
                      CRYPT_IPSEC_HMAC_KEY, &k.key))
    return {};
  HashHolder h;
  if (!CryptCreateHash(provider_, CALG_HMAC, k.key, 0, &h.hash)) return {};
  HMAC_INFO info{};
  info.HashAlgid = CALG_SHA_256;
  if (!CryptSetHashParam(h.hash, HP_HMAC_INFO, reinterpret_cast<const BYTE*>(&info), 0)) return {};
  return HashValue(h.hash, data);
}

std::string WinCrypto::RandomBytes(size_t count) {
  std::string out(count, '\0');
  if (!Acquire() ||
      !CryptGenRandom(provider_, static_cast<DWORD>(count), reinterpret_cast<BYTE*>(out.data())))
    return {};
  return out;
}

}  // namespace lr
