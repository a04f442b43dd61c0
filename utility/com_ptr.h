#pragma once
// Owns one COM interface pointer and releases it once.
#include <unknwn.h>

namespace utility {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For the out parameter of CoCreateInstance and QueryInterface.
  void** receive() {
    reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace utility
