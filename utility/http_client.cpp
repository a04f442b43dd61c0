#include "utility/http_client.h"

#include <cwchar>
#include <vector>

#include "utility/log.h"

namespace utility {
namespace {

DWORD lastError() { return GetLastError(); }

// The connection itself fails only when the request is sent: WinInet connects lazily.
bool isConnectFailure(DWORD error) {
  return error == ERROR_INTERNET_CANNOT_CONNECT || error == ERROR_INTERNET_NAME_NOT_RESOLVED ||
         error == ERROR_INTERNET_TIMEOUT;
}

int64_t contentLength(HINTERNET request) {
  wchar_t text[32] = {};
  DWORD size = sizeof(text);
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return -1;
  wchar_t* end = nullptr;
  long long value = wcstoll(text, &end, 10);
  if (end == text || value < 0) return -1;
  return value;
}

// The first byte of "bytes FIRST-LAST/TOTAL", or -1.
int64_t contentRangeStart(HINTERNET request) {
  wchar_t text[96] = {};
  DWORD size = sizeof(text);
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_RANGE, text, &size, nullptr)) return -1;
  const wchar_t* value = text;
  while (*value == L' ') ++value;
  if (_wcsnicmp(value, L"bytes", 5) != 0) return -1;
  value += 5;
  while (*value == L' ') ++value;
  if (*value < L'0' || *value > L'9') return -1;
  wchar_t* end = nullptr;
  long long first = wcstoll(value, &end, 10);
  if (end == value || first < 0 || *end != L'-') return -1;
  return first;
}

// Each blocking step of the request returns within milliseconds.
void limitSteps(HINTERNET request, DWORD milliseconds) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    if (!InternetSetOptionW(request, option, &milliseconds, sizeof(milliseconds))) {
      VEL_LOG(L"request time-out %d not set, error:%d", static_cast<int>(option), static_cast<int>(lastError()));
    }
  }
}

}  // namespace

void CHttpClient::setHeader(const std::wstring& name, const std::wstring& value) { headers_[name] = value; }

void CHttpClient::removeHeader(const std::wstring& name) { headers_.erase(name); }

DWORD CHttpClient::requestFlags(bool secure) {
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | 0x80 | 0x1;
  if (secure) flags |= INTERNET_FLAG_SECURE;
  return flags;
}

std::wstring CHttpClient::headerBlock() const {
  std::map<std::wstring, std::wstring> headers = headers_;
  headers.emplace(L"Content-Type", L"application/x-www-form-urlencoded");
  headers.emplace(L"User-Agent", L"okhttp/3.5.0L");
  std::wstring block;
  for (const auto& header : headers) block += header.first + L": " + header.second + L"\r\n";
  return block;
}

bool CHttpClient::openUrl(const std::wstring& url, IHttpClientSink* sink) {
  sink_ = sink;
  HINTERNET internet = InternetOpenW(L"", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!internet) {
    if (sink_) sink_->onHttpError(kOpenInternet, static_cast<int>(lastError()));
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(internetLock_);
    internet_.reset(internet);
  }
  wchar_t host[256] = {};
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.dwUrlPathLength = 1;   // non-zero: point into the URL
  parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    if (sink_) sink_->onHttpError(kParseUrl, static_cast<int>(lastError()));
    return false;
  }
  host_.assign(host, parts.dwHostNameLength);
  port_ = parts.nPort;
  object_.clear();
  if (parts.lpszUrlPath) object_.append(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) object_.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  secure_ = url.size() >= 8 && _wcsnicmp(url.c_str(), L"https://", 8) == 0;
  return true;
}

bool CHttpClient::perform(DWORD deadlineMs) {
  rangeStart_ = -1;
  const DWORD startTick = GetTickCount();
  auto pastDeadline = [&] {
    if (deadlineMs == 0 || GetTickCount() - startTick < deadlineMs) return false;
    VEL_LOG(L"request past its deadline of %d ms", static_cast<int>(deadlineMs));
    return true;
  };
  HINTERNET internet = nullptr;
  {
    std::lock_guard<std::mutex> lock(internetLock_);
    internet = internet_.get();
  }
  InternetHandle connection(internet ? InternetConnectW(internet, host_.c_str(), port_, nullptr, nullptr,
                                                        INTERNET_SERVICE_HTTP, 0, 1)
                                     : nullptr);
  if (!connection) {
    if (sink_) sink_->onHttpError(kConnect, static_cast<int>(internet ? lastError() : ERROR_INVALID_HANDLE));
    return false;
  }

  std::wstring headers = headerBlock();
  const wchar_t* accept[] = {L"*/*", nullptr};
  InternetHandle request(HttpOpenRequestW(connection.get(), L"GET", object_.c_str(), L"HTTP/1.1", nullptr, accept,
                                          requestFlags(secure_), 1));
  if (request && deadlineMs) limitSteps(request.get(), kStepTimeoutMs);
  if (!request || !HttpSendRequestW(request.get(), headers.c_str(), static_cast<DWORD>(headers.size()), nullptr, 0)) {
    DWORD error = lastError();
    if (sink_) sink_->onHttpError(isConnectFailure(error) ? kConnect : kSendRequest, static_cast<int>(error));
    return false;
  }

  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
    if (sink_) sink_->onHttpError(kReadStatus, static_cast<int>(lastError()));
    return false;
  }
  int64_t length = contentLength(request.get());
  rangeStart_ = contentRangeStart(request.get());
  if (sink_ && !sink_->onHttpRecvHeader(length, static_cast<int>(status))) return false;
  if (pastDeadline()) return false;

  std::vector<char> buffer(kReadBlockBytes);
  int64_t received = 0;
  for (;;) {
    DWORD got = 0;
    DWORD wanted = kReadBlockBytes;
    if (deadlineMs) {
      // A read waits to fill its buffer; asking only for what has arrived keeps each read
      // within one step's time-out however slowly the bytes come.
      DWORD available = 0;
      if (!InternetQueryDataAvailable(request.get(), &available, 0, 0)) {
        VEL_LOG(L"request read failed, error:%d", static_cast<int>(lastError()));
        return false;
      }
      wanted = available == 0 ? 1 : (available < kReadBlockBytes ? available : kReadBlockBytes);
    }
    if (!InternetReadFile(request.get(), buffer.data(), wanted, &got)) return false;
    if (got == 0) {
      // A connection that ends before the announced length is a broken transfer, not
      // the end of the body: the caller keeps what arrived and may resume.
      if (length >= 0 && received < length) {
        VEL_LOG(L"body ended early %I64d of %I64d", static_cast<long long>(received), static_cast<long long>(length));
        return false;
      }
      if (sink_) sink_->onHttpComplete();
      return true;
    }
    received += got;
    if (sink_ && !sink_->onHttpRecvData(buffer.data(), got)) return false;
    if (pastDeadline()) return false;
  }
}

void CHttpClient::close() {
  std::lock_guard<std::mutex> lock(internetLock_);
  internet_.reset();
}

}  // namespace utility
