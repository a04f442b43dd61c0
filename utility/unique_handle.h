#pragma once
// Owns one kernel handle (file, event, thread, process, mutex) and closes it once.
#include <windows.h>

namespace utility {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(normalize(handle)) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HANDLE handle = nullptr) {
    if (handle_) CloseHandle(handle_);
    handle_ = normalize(handle);
  }

 private:
  // CreateFile reports failure as INVALID_HANDLE_VALUE, the others as null: keep one empty value.
  static HANDLE normalize(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
  HANDLE handle_ = nullptr;
};

}  // namespace utility
