#pragma once
// Downloads on the WinInet client: into memory or into a file, resuming by byte range,
// with a cancel that another thread may call while a transfer runs.
#include <atomic>
#include <cstdint>
#include <string>

#include "utility/http_client.h"

namespace utility {

class CHttpDownloader : public CHttpClient {
 public:
  class IHttpDownloadSink {
   public:
    // received and total count the bytes already in the file before this transfer.
    // false aborts the download.
    virtual bool onDownloadProgress(const char* bytes, DWORD count, int64_t received, int64_t total) = 0;

   protected:
    ~IHttpDownloadSink() = default;
  };

  // Codes a file download hands back when it was not refused by a WinInet step or status.
  static constexpr int kNoFirstCode = 9999;

  CHttpDownloader() = default;

  // Only a 2xx answer is kept, of at most CHttpDownload2MemSink::kLimitBytes, received
  // within kDocumentDeadlineMs (and one read's time-out). An earlier cancel stays in force.
  bool download2mem(std::string& output, const std::wstring& url);
  // Clears a cancel left from an earlier transfer first. When resuming, only a 206 that
  // continues the file at its size is appended; a 200, or a 206 from byte 0, starts the
  // file over, and a 206 from elsewhere empties it and fails.
  bool download2file(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* progress, bool resume);
  // Keeps an earlier cancel in force and hands back the file sink's two codes: the error
  // kind and system error, -1 and the HTTP status, or -2 and the file error.
  bool download2file(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* progress, int& firstCode,
                     int& secondCode, bool resume);
  // Callable from any thread: the running transfer fails promptly, and so does one that has
  // not opened its connection yet. The cancel stays in force until a transfer of the first
  // download2file form starts.
  void cancel();

 private:
  bool downloadFile(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* progress, int* firstCode,
                    int* secondCode, bool resume, bool resetCancel);

  bool cancelled() const { return cancelled_.load(); }

  std::atomic<bool> cancelled_{false};
  int64_t startOffset_ = 0;
};

class CHttpDownload2MemSink : public CHttpClient::IHttpClientSink {
 public:
  // Service documents are a few KiB: an answer past this is refused rather than kept.
  static constexpr size_t kLimitBytes = 4 * 1024 * 1024;

  CHttpDownload2MemSink(std::string& output, const std::atomic<bool>& cancelled)
      : output_(output), cancelled_(cancelled) {}
  void onHttpError(int, int) override {}
  bool onHttpRecvHeader(int64_t contentLength, int status) override;
  bool onHttpRecvData(const char* bytes, DWORD count) override;
  void onHttpComplete() override {}

 private:
  std::string& output_;
  const std::atomic<bool>& cancelled_;
};

class CHttpDownload2FileSink : public CHttpClient::IHttpClientSink {
 public:
  // The total passed on for an answer that announces no length.
  static constexpr int64_t kUnknownTotal = -1;

  // client is the one performing the request: its answer's Content-Range is read from it.
  CHttpDownload2FileSink(const CHttpClient& client, const std::wstring& path, const std::atomic<bool>& cancelled,
                         CHttpDownloader::IHttpDownloadSink* progress, int64_t startOffset)
      : client_(client), path_(path), cancelled_(cancelled), progress_(progress), startOffset_(startOffset) {}
  ~CHttpDownload2FileSink() { closeFile(); }
  CHttpDownload2FileSink(const CHttpDownload2FileSink&) = delete;
  CHttpDownload2FileSink& operator=(const CHttpDownload2FileSink&) = delete;

  void onHttpError(int kind, int systemError) override;
  bool onHttpRecvHeader(int64_t contentLength, int status) override;
  bool onHttpRecvData(const char* bytes, DWORD count) override;
  void onHttpComplete() override { closeFile(); }

  int firstCode() const { return firstCode_; }
  int secondCode() const { return secondCode_; }

 private:
  void closeFile();
  bool createFile();

  const CHttpClient& client_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
  const std::atomic<bool>& cancelled_;
  CHttpDownloader::IHttpDownloadSink* progress_;
  int64_t received_ = 0;
  int64_t total_ = 0;
  int64_t startOffset_;
  int firstCode_ = CHttpDownloader::kNoFirstCode;
  int secondCode_ = 0;
};

}  // namespace utility
