#pragma once
// One synchronous GET on WinInet, streamed into a sink. The internet handle may be
// closed from another thread (that is how a transfer is cancelled); the connection and
// request handles live only inside perform.
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace utility {

// Closes one WinInet handle once.
class InternetHandle {
 public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() { reset(); }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(HINTERNET handle = nullptr) {
    if (handle_) InternetCloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HINTERNET handle_ = nullptr;
};

class CHttpClient {
 public:
  // Error kinds of onHttpError.
  enum ErrorKind { kOpenInternet = 0, kParseUrl = 1, kConnect = 2, kSendRequest = 6, kReadStatus = 7 };

  class IHttpClientSink {
   public:
    virtual void onHttpError(int kind, int systemError) = 0;
    // contentLength is -1 when the response announces none; false stops the request.
    virtual bool onHttpRecvHeader(int64_t contentLength, int status) = 0;
    // false stops the request.
    virtual bool onHttpRecvData(const char* bytes, DWORD count) = 0;
    virtual void onHttpComplete() = 0;

   protected:
    ~IHttpClientSink() = default;
  };

  static constexpr DWORD kReadBlockBytes = 32768;
  // Connecting, sending or waiting for the next bytes of a request with a deadline.
  static constexpr DWORD kStepTimeoutMs = 4000;

  CHttpClient() = default;
  CHttpClient(const CHttpClient&) = delete;
  CHttpClient& operator=(const CHttpClient&) = delete;

  void setHeader(const std::wstring& name, const std::wstring& value);
  void removeHeader(const std::wstring& name);

  bool openUrl(const std::wstring& url, IHttpClientSink* sink);
  // deadlineMs (0: none) bounds the whole request: each send and read then waits at most
  // kStepTimeoutMs, and the deadline is checked between them, so a request ends as failed
  // within the deadline and one step's time-out.
  bool perform(DWORD deadlineMs = 0);
  void close();

  // The first byte of the Content-Range of the answer perform received last, -1 when it
  // had none (or its range was unsatisfied). Valid from onHttpRecvHeader on.
  int64_t responseRangeStart() const { return rangeStart_; }

  // The request flags: reload, no cache write, pragma no-cache (and INTERNET_FLAG_SECURE
  // for https). Certificates are always checked.
  static DWORD requestFlags(bool secure);
  // The header block sent with the request, defaults added, in ascending order of name.
  std::wstring headerBlock() const;

 private:
  std::mutex internetLock_;
  InternetHandle internet_;
  std::wstring host_;
  INTERNET_PORT port_ = 0;
  std::wstring object_;
  bool secure_ = false;
  IHttpClientSink* sink_ = nullptr;
  int64_t rangeStart_ = -1;
  std::map<std::wstring, std::wstring> headers_;
};

}  // namespace utility
