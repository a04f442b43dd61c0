#include "utility/setup_file_check.h"

#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <vector>

#include "utility/log.h"
#include "utility/md5.h"

namespace utility {
namespace setup_file_check {
namespace {

// Closes the trust provider's state whatever happens after WinVerifyTrust.
class TrustState {
 public:
  explicit TrustState(WINTRUST_DATA& data) : data_(data) {}
  ~TrustState() {
    if (!data_.hWVTStateData) return;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_);
  }
  TrustState(const TrustState&) = delete;
  TrustState& operator=(const TrustState&) = delete;

 private:
  WINTRUST_DATA& data_;
};

class CertStore {
 public:
  explicit CertStore(HCERTSTORE store) : store_(store) {}
  ~CertStore() {
    if (store_) CertCloseStore(store_, 0);
  }
  CertStore(const CertStore&) = delete;
  CertStore& operator=(const CertStore&) = delete;
  HCERTSTORE get() const { return store_; }

 private:
  HCERTSTORE store_;
};

class ChainContext {
 public:
  ChainContext() = default;
  ~ChainContext() {
    if (chain_) CertFreeCertificateChain(chain_);
  }
  ChainContext(const ChainContext&) = delete;
  ChainContext& operator=(const ChainContext&) = delete;
  PCCERT_CHAIN_CONTEXT* out() { return &chain_; }
  PCCERT_CHAIN_CONTEXT get() const { return chain_; }

 private:
  PCCERT_CHAIN_CONTEXT chain_ = nullptr;
};

Verdict failure(const wchar_t* reason, DWORD code) {
  Verdict verdict;
  verdict.reason = reason;
  verdict.code = code;
  return verdict;
}

}  // namespace

UniqueHandle openHeld(const std::wstring& path) {
  return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool isMd5Text(const std::wstring& text) {
  if (text.size() != 32) return false;
  for (wchar_t c : text) {
    bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    if (!hex) return false;
  }
  return true;
}

std::wstring md5Of(HANDLE file, DWORD* error) {
  *error = 0;
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
    *error = GetLastError();
    return std::wstring();
  }
  Md5 md5;
  if (!md5.ready()) {
    *error = GetLastError();
    return std::wstring();
  }
  std::vector<BYTE> buffer(256 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      *error = GetLastError();
      return std::wstring();
    }
    if (read == 0) break;
    if (!md5.add(buffer.data(), read)) {
      *error = GetLastError();
      return std::wstring();
    }
  }
  const std::string digest = md5.hexDigest();
  if (digest.empty()) *error = GetLastError();
  return std::wstring(digest.begin(), digest.end());
}

Verdict verifySignature(const std::wstring& path, HANDLE file, const std::wstring& publisher) {
  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = path.c_str();
  fileInfo.hFile = file;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  LONG trust = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  TrustState state(data);
  if (trust != ERROR_SUCCESS) return failure(L"signature not valid", static_cast<DWORD>(trust));

  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
  CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) {
    return failure(L"no signer certificate", static_cast<DWORD>(TRUST_E_NOSIGNATURE));
  }
  PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;

  // The chain is built again here, for code signing, with the signature's own certificates
  // as the only extra ones, and must end at a trusted root without any error.
  CertStore messageStore(provider->hMsg ? CertOpenStore(CERT_STORE_PROV_MSG, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                        0, provider->hMsg)
                                        : nullptr);
  LPSTR usage[] = {const_cast<LPSTR>(szOID_PKIX_KP_CODE_SIGNING)};
  CERT_CHAIN_PARA parameters = {};
  parameters.cbSize = sizeof(parameters);
  parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
  parameters.RequestedUsage.Usage.rgpszUsageIdentifier = usage;
  ChainContext chain;
  if (!CertGetCertificateChain(nullptr, certificate, nullptr, messageStore.get(), &parameters, 0, nullptr,
                               chain.out())) {
    return failure(L"no certificate chain", GetLastError());
  }
  if (chain.get()->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR) {
    VEL_LOG(L"signer chain: error status 0x%08x, info status 0x%08x",
            static_cast<unsigned>(chain.get()->TrustStatus.dwErrorStatus),
            static_cast<unsigned>(chain.get()->TrustStatus.dwInfoStatus));
    return failure(L"certificate chain not trusted for code signing", chain.get()->TrustStatus.dwErrorStatus);
  }

  wchar_t name[512] = {};
  CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 512);
  if (publisher.empty() || publisher != name) {
    return failure(L"signed by another publisher", static_cast<DWORD>(CERT_E_WRONG_USAGE));
  }
  Verdict verdict;
  verdict.ok = true;
  return verdict;
}

}  // namespace setup_file_check
}  // namespace utility
