#include "utility/md5.h"

namespace utility {

Md5::Md5() {
  if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
    provider_ = 0;
    return;
  }
  if (!CryptCreateHash(provider_, CALG_MD5, 0, 0, &hash_)) hash_ = 0;
}

Md5::~Md5() {
  if (hash_) CryptDestroyHash(hash_);
  if (provider_) CryptReleaseContext(provider_, 0);
}

bool Md5::add(const void* data, DWORD size) {
  return hash_ && CryptHashData(hash_, static_cast<const BYTE*>(data), size, 0);
}

std::string Md5::hexDigest() {
  BYTE digest[16] = {};
  DWORD size = sizeof(digest);
  if (!hash_ || !CryptGetHashParam(hash_, HP_HASHVAL, digest, &size, 0) || size != sizeof(digest)) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(32);
  for (BYTE b : digest) {
    text.push_back(kHex[b >> 4]);
    text.push_back(kHex[b & 0x0F]);
  }
  return text;
}

}  // namespace utility
