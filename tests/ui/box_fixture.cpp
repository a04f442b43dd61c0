#include "tests/ui/box_fixture.h"

#include "skin/language_table.h"
#include "skin/skin_files.h"
#include "tests/support/test_support.h"
#include "toolkit/toolkit.h"
#include "ui/downloader_box.h"
#include "ui/message_box.h"

namespace boxes {

void setUpSkin(const std::wstring& locale) {
  toolkit::initialise(GetModuleHandleW(nullptr));
  setResourceFolder(VEL_UI_SKIN_DIR);
  setCurrentLanguage(locale, L"en_US");
  loadLanguageTable(testing_support::readFile(VEL_UI_SKIN_DIR L"multi_language.tsv"));
}

namespace {

struct ClassSearch {
  const wchar_t* name;
  std::vector<HWND> found;
};

BOOL CALLBACK collectOfClass(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<ClassSearch*>(data);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (wcscmp(name, s->name) == 0 && IsWindowVisible(window)) s->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> windowsOfClass(const wchar_t* className) {
  ClassSearch search{className, {}};
  EnumThreadWindows(GetCurrentThreadId(), collectOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

toolkit::WindowImplBase* boxOf(HWND window) { return toolkit::WindowImplBase::fromHandle(window); }

bool clickAndWaitGone(HWND box, const wchar_t* control) {
  toolkit::WindowImplBase* window = boxOf(box);
  if (!window || !window->findControl(control)) return false;
  gallery::click(box, gallery::centreOf(window->findControl(control)));
  return gallery::pump([box] { return !IsWindow(box); }, 4000);
}

bool pumpSeesQuit(DWORD milliseconds) {
  bool quit = false;
  const DWORD started = GetTickCount();
  while (GetTickCount() - started < milliseconds) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        continue;
      }
      if (toolkit::preTranslateMessage(&message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return quit;
}

void BoxTest::SetUp() {
  setUpSkin();
  owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 640, 420, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, owner_);
  boxes_.attach(owner_);
  model_.reset(new DownloaderModel());
  gallery::pumpFor(20);
}

void BoxTest::TearDown() {
  // Every box is owned by the owner: they go with it.
  if (IsWindow(owner_)) DestroyWindow(owner_);
  gallery::pump([this] { return boxes_.empty(); }, 3000);
  pumpSeesQuit(20);  // a quit posted by a box must not reach the next test
  EXPECT_TRUE(boxes_.empty());
  boxes_.detach();
  model_.reset();
}

}  // namespace boxes
