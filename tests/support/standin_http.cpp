#include "tests/support/standin_http.h"

#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <rapidjson/document.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tests/support/test_support.h"
#include "utility/encoding.h"

namespace testing_support {

std::string generatedBytes(int64_t start, size_t length) {
  std::string out(length, '\0');
  for (size_t i = 0; i < length; ++i) {
    uint32_t k = static_cast<uint32_t>((start + static_cast<int64_t>(i)) % 65521);
    out[i] = static_cast<char>((k * 7 + k / 256) & 0xFF);
  }
  return out;
}

const std::string* RecordedRequest::header(const std::string& name) const {
  for (const auto& entry : headers) {
    if (_stricmp(entry.first.c_str(), name.c_str()) == 0) return &entry.second;
  }
  return nullptr;
}

namespace {

// A control endpoint's JSON answer; false when it did not answer 200 with valid JSON.
bool controlDocument(const wchar_t* path, rapidjson::Document* document) {
  int status = 0;
  std::string body;
  if (!standinGet(path, &status, &body) || status != 200) return false;
  document->Parse(body.c_str(), body.size());
  return !document->HasParseError();
}

using InternetHandle = std::unique_ptr<void, decltype(&InternetCloseHandle)>;

// The query value of a path: everything but letters, digits and "-._~/" percent-encoded.
std::string queryValue(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || (c != 0 && std::strchr("-._~/", c))) {
      out += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof(escaped), "%%%02X", c);
      out += escaped;
    }
  }
  return out;
}

}  // namespace

bool standinRequest(const std::string& method, const std::string& pathAndQuery, const std::string& headers,
                    const std::string& body, int* status, std::string* answer) {
  InternetHandle session(InternetOpenW(L"vel-tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0),
                         &InternetCloseHandle);
  if (!session) return false;
  InternetHandle connection(InternetConnectW(session.get(), L"127.0.0.1", static_cast<INTERNET_PORT>(standinPort()),
                                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0),
                            &InternetCloseHandle);
  if (!connection) return false;
  std::wstring verb = utility::fromUtf8(method), target = utility::fromUtf8(pathAndQuery);
  InternetHandle request(HttpOpenRequestW(connection.get(), verb.c_str(), target.c_str(), nullptr, nullptr, nullptr,
                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0),
                         &InternetCloseHandle);
  if (!request) return false;
  std::wstring headerLines = utility::fromUtf8(headers);
  if (!HttpSendRequestW(request.get(), headerLines.empty() ? nullptr : headerLines.c_str(),
                        static_cast<DWORD>(headerLines.size()), const_cast<char*>(body.data()),
                        static_cast<DWORD>(body.size()))) {
    return false;
  }
  DWORD code = 0, size = sizeof(code);
  HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr);
  if (status) *status = static_cast<int>(code);
  std::string out;
  char buffer[16384];
  DWORD got = 0;
  while (InternetReadFile(request.get(), buffer, sizeof(buffer), &got) && got > 0) out.append(buffer, got);
  if (answer) *answer = std::move(out);
  return true;
}

bool standinServe(const std::string& path, const std::string& body) {
  int status = 0;
  return standinRequest("POST", "/_control/serve?path=" + queryValue(path), "", body, &status, nullptr) &&
         status == 200;
}

bool standinServeGenerated(const std::string& path, int64_t size) {
  int status = 0;
  return standinRequest("GET", "/_control/serve?path=" + queryValue(path) + "&gen=" + std::to_string(size), "", "",
                        &status, nullptr) &&
         status == 200;
}

bool resetStandin() {
  int status = 0;
  return standinGet(L"/_control/reset", &status, nullptr) && status == 200;
}

std::vector<RecordedRequest> standinRequests() {
  std::vector<RecordedRequest> out;
  rapidjson::Document document;
  if (!controlDocument(L"/_control/requests", &document) || !document.IsArray()) return out;
  for (const auto& item : document.GetArray()) {
    RecordedRequest request;
    request.method = item["method"].GetString();
    request.path = item["path"].GetString();
    request.query = item["query"].GetString();
    request.body = item["body"].GetString();
    for (const auto& header : item["headers"].GetArray()) {
      request.headers.emplace_back(header[0].GetString(), header[1].GetString());
    }
    out.push_back(std::move(request));
  }
  return out;
}

std::vector<CollectedBatch> standinCollected() {
  std::vector<CollectedBatch> out;
  rapidjson::Document document;
  if (!controlDocument(L"/_control/collected", &document) || !document.IsArray()) return out;
  for (const auto& item : document.GetArray()) {
    auto field = [&](const char* name) {
      return item.HasMember(name) && item[name].IsString() ? std::string(item[name].GetString()) : std::string();
    };
    out.push_back({field("timestamp"), field("signature"), field("verdict"), field("body")});
  }
  return out;
}

int standinTlsPort() {
  rapidjson::Document document;
  if (!controlDocument(L"/_control/tls", &document) || !document.IsObject() || !document.HasMember("port")) return 0;
  return document["port"].GetInt();
}

int standinTrustedTlsPort(std::string* authorityDer) {
  rapidjson::Document document;
  if (!controlDocument(L"/_control/tls", &document) || !document.IsObject() || !document.HasMember("trusted_port") ||
      !document.HasMember("ca") || !document["ca"].IsString()) {
    return 0;
  }
  std::string base64 = document["ca"].GetString();
  DWORD size = 0;
  if (base64.empty() || !CryptStringToBinaryA(base64.c_str(), static_cast<DWORD>(base64.size()), CRYPT_STRING_BASE64,
                                              nullptr, &size, nullptr, nullptr)) {
    return 0;
  }
  std::string der(size, '\0');
  if (!CryptStringToBinaryA(base64.c_str(), static_cast<DWORD>(base64.size()), CRYPT_STRING_BASE64,
                            reinterpret_cast<BYTE*>(&der[0]), &size, nullptr, nullptr)) {
    return 0;
  }
  der.resize(size);
  if (authorityDer) *authorityDer = der;
  return document["trusted_port"].GetInt();
}

namespace {

// The machine's store needs administrator rights on Windows; the user's asks the user first.
PCCERT_CONTEXT addTrustedRoot(const std::string& der) {
  const DWORD locations[] = {CERT_SYSTEM_STORE_LOCAL_MACHINE, CERT_SYSTEM_STORE_CURRENT_USER};
  for (DWORD location : locations) {
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, location, L"ROOT");
    if (!store) continue;
    PCCERT_CONTEXT added = nullptr;
    BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                               static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added);
    // Written out now: Wine keeps a registry store's changes in memory until its last
    // reference goes, which the added context holds, and other processes read the registry.
    if (ok) CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    CertCloseStore(store, 0);
    if (ok && added) return added;
  }
  return nullptr;
}

}  // namespace

TrustedStandinAuthority::TrustedStandinAuthority() {
  std::string der;
  int port = standinTrustedTlsPort(&der);
  if (port == 0) {
    failure_ = "the stand-in has no issued certificate (no openssl command)";
    return;
  }
  if (PCCERT_CONTEXT added = addTrustedRoot(der)) {
    added_ = added;
    port_ = port;
    return;
  }
  failure_ = "the authority could not be added to a root store, error " + std::to_string(GetLastError());
}

std::wstring codesignFile(const wchar_t* name) { return binDir() + L"codesign\\" + name; }

TrustedCodeSigningAuthority::TrustedCodeSigningAuthority() {
  std::string der = readFile(codesignFile(L"authority.der"));
  if (!der.empty()) added_ = addTrustedRoot(der);
}

TrustedCodeSigningAuthority::~TrustedCodeSigningAuthority() {
  if (added_) CertDeleteCertificateFromStore(static_cast<PCCERT_CONTEXT>(added_));
}

TrustedStandinAuthority::~TrustedStandinAuthority() {
  // Deleting through the context removes it from the store it was added to, and frees it.
  if (added_) CertDeleteCertificateFromStore(static_cast<PCCERT_CONTEXT>(added_));
}

std::string narrow(const std::wstring& text) { return utility::toAnsi(text); }

}  // namespace testing_support
