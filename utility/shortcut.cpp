#include "utility/shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "utility/com_ptr.h"
#include "utility/log.h"

namespace helper {
namespace disk {
namespace {

struct ItemList {
  LPITEMIDLIST list = nullptr;
  ~ItemList() {
    if (list) CoTaskMemFree(list);
  }
};

}  // namespace

void createShortcut(const ShortcutRequest& request) {
  ItemList desktop;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &desktop.list))) {
    VEL_LOG(L"install 1 of create shortcut failed!");
    return;
  }
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(desktop.list, folder)) {
    VEL_LOG(L"install 2 of create shortcut failed!");
    return;
  }
  utility::ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.receive()))) {
    VEL_LOG(L"install 3 of create shortcut failed!");
    return;
  }
  utility::ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive()))) {
    VEL_LOG(L"install 4 of create shortcut failed!");
    return;
  }
  link->SetWorkingDirectory(request.workingDir.c_str());
  link->SetPath(request.target.c_str());
  if (!request.arguments.empty()) link->SetArguments(request.arguments.c_str());
  link->SetIconLocation(request.icon.c_str(), 0);
  std::wstring path = std::wstring(folder) + L"\\" + request.name + L".lnk";
  file->Save(path.c_str(), TRUE);
}

}  // namespace disk
}  // namespace helper
