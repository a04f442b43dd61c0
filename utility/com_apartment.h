#pragma once
// The calling thread in a single-threaded COM apartment for the object's lifetime: shell
// links, the desktop's shell and accessibility objects need one. A thread that already has
// an apartment keeps it (the constructor's failure is then not undone).
#include <objbase.h>

namespace utility {

class ComApartment {
 public:
  ComApartment() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (entered_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool entered_;
};

}  // namespace utility
