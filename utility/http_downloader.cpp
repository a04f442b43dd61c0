#include "utility/http_downloader.h"

#include "utility/document_limits.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace utility {
namespace {

bool isSuccessStatus(int status) { return status >= 200 && status <= 299; }

}  // namespace

bool CHttpDownload2MemSink::onHttpRecvHeader(int64_t, int status) { return isSuccessStatus(status); }

bool CHttpDownload2MemSink::onHttpRecvData(const char* bytes, DWORD count) {
  if (cancelled_.load()) return false;
  if (output_.size() + count > kLimitBytes) {
    VEL_LOG(L"memory answer over %d bytes, stopped", static_cast<int>(kLimitBytes));
    return false;
  }
  output_.append(bytes, count);
  return true;
}

void CHttpDownload2FileSink::closeFile() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

void CHttpDownload2FileSink::onHttpError(int kind, int systemError) {
  closeFile();
  VEL_LOG(L"onHttpErro %d, %d", kind, systemError);
  firstCode_ = kind;
  secondCode_ = systemError;
}

bool CHttpDownload2FileSink::onHttpRecvHeader(int64_t contentLength, int status) {
  if (!isSuccessStatus(status)) {
    VEL_LOG(L"onHttpErro status = %d", status);
    if (secondCode_ == 0) {
      firstCode_ = -1;
      secondCode_ = status;
    }
    return false;
  }
  total_ = contentLength > 0 ? contentLength : kUnknownTotal;
  received_ = 0;
  // Only a partial answer that begins at the file's end continues the file; a server that
  // ignored the range sends the whole body, and a part from byte 0 is the file's start, so
  // either starts the file over. A part from anywhere else fits nowhere: the file is
  // emptied so that the next attempt starts over.
  int64_t rangeStart = status == 206 ? client_.responseRangeStart() : 0;
  if (status == 206 && rangeStart != 0 && rangeStart != startOffset_) {
    VEL_LOG(L"onHttpErro range start %I64d, file size %I64d", static_cast<long long>(rangeStart),
            static_cast<long long>(startOffset_));
    if (createFile()) closeFile();
    if (secondCode_ == 0) {
      firstCode_ = -1;
      secondCode_ = status;
    }
    return false;
  }
  if (startOffset_ > 0 && status == 206 && rangeStart == startOffset_) {
    received_ = startOffset_;
    if (total_ != kUnknownTotal) total_ = startOffset_ + total_;
    file_ = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      VEL_LOG(L"onHttpErro create file error  %d", static_cast<int>(error));
      firstCode_ = -2;
      secondCode_ = static_cast<int>(error);
      return false;
    }
    LARGE_INTEGER zero = {};
    SetFilePointerEx(file_, zero, nullptr, FILE_END);
    return true;
  }
  return createFile();
}

bool CHttpDownload2FileSink::createFile() {
  file_ = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    VEL_LOG(L"create file error; filename %s lasterror:%d", path_.c_str(), static_cast<int>(error));
    firstCode_ = -2;
    secondCode_ = static_cast<int>(error);
    return false;
  }
  return true;
}

bool CHttpDownload2FileSink::onHttpRecvData(const char* bytes, DWORD count) {
  if (cancelled_.load()) return false;
  received_ += count;
  if (progress_ && !progress_->onDownloadProgress(bytes, count, received_, total_)) return false;
  DWORD written = 0;
  return file_ != INVALID_HANDLE_VALUE && WriteFile(file_, bytes, count, &written, nullptr) && written == count;
}

bool CHttpDownloader::download2mem(std::string& output, const std::wstring& url) {
  close();
  CHttpDownload2MemSink sink(output, cancelled_);
  bool result = openUrl(url, &sink) && !cancelled() && perform(kDocumentDeadlineMs);
  close();
  return result;
}

bool CHttpDownloader::download2file(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* progress,
                                    bool resume) {
  return downloadFile(url, path, progress, nullptr, nullptr, resume, true);
}

bool CHttpDownloader::download2file(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* progress,
                                    int& firstCode, int& secondCode, bool resume) {
  return downloadFile(url, path, progress, &firstCode, &secondCode, resume, false);
}

bool CHttpDownloader::downloadFile(const std::wstring& url, const std::wstring& path, IHttpDownloadSink* progress,
                                   int* firstCode, int* secondCode, bool resume, bool resetCancel) {
  close();
  removeHeader(L"Range");
  startOffset_ = 0;
  if (resume) {
    int64_t size = 0;
    if (!ufile::fileSize(path, size)) size = 0;
    startOffset_ = size;
    VEL_LOG(L"start size %I64d", static_cast<long long>(size));
    if (size > 0) setHeader(L"Range", L"bytes=" + std::to_wstring(size) + L"-");
  }
  if (resetCancel) cancelled_.store(false);

  CHttpDownload2FileSink sink(*this, path, cancelled_, progress, startOffset_);
  // A cancel that came before openUrl found no handle to close: it is seen here. One that
  // comes later closes the handle that openUrl made.
  bool result = openUrl(url, &sink) && !cancelled() && perform();
  close();
  // The range belongs to this file only; a later memory download on this object asks for
  // the whole answer.
  removeHeader(L"Range");
  sink.onHttpComplete();
  if (firstCode) *firstCode = sink.firstCode();
  if (secondCode) *secondCode = sink.secondCode();
  return result;
}

void CHttpDownloader::cancel() {
  // The flag first: a transfer that opens its handle after close below still sees it.
  cancelled_.store(true);
  close();
}

}  // namespace utility
