#include "model/setup_check.h"

#include "utility/setup_file_check.h"

SetupCheck checkDownloadedSetup(const std::wstring& path, const std::wstring& md5, const std::wstring& publisher) {
  namespace check = utility::setup_file_check;
  SetupCheck result;
  auto held = std::make_shared<utility::UniqueHandle>(check::openHeld(path));
  if (!*held) {
    result.reason = L"cannot hold the file";
    result.code = GetLastError();
    return result;
  }
  if (check::isMd5Text(md5)) {
    DWORD error = 0;
    std::wstring digest = check::md5Of(held->get(), &error);
    if (digest.empty()) {
      result.reason = L"cannot read the file";
      result.code = error;
      return result;
    }
    if (CompareStringOrdinal(digest.c_str(), -1, md5.c_str(), -1, TRUE) != CSTR_EQUAL) {
      result.reason = L"md5 differs from the document's";
      result.code = static_cast<DWORD>(TRUST_E_BAD_DIGEST);
      return result;
    }
  }
  check::Verdict verdict = check::verifySignature(path, held->get(), publisher);
  if (!verdict.ok) {
    result.reason = verdict.reason;
    result.code = verdict.code;
    return result;
  }
  result.ok = true;
  result.held = std::move(held);
  return result;
}
