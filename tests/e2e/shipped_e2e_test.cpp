// The shipped 32-bit executable itself (build/bin, built for the real hosts), not the test
// tree's copy that talks to the stand-in: it starts under 32-bit Wine as a campaign copy,
// shows and paints its main window, and ends cleanly when the user closes it. It runs
// without any network (tests/e2e/without-network), so none of its real origins is reached.
#include <winsock2.h>

#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tests/support/test_support.h"
#include "utility/encoding.h"

using namespace e2e;
using namespace testing_support;

namespace {

class ShippedExecutable : public ::testing::Test {
 protected:
  void SetUp() override {
    if (sizeof(void*) != 4) {
      GTEST_SKIP() << "the shipped executable is 32-bit; this is the x64 tree, whose Wine may have no 32-bit "
                      "part (the i686 tree runs this test where the machine runs 32-bit programs)";
    }
    if (environment(L"VEL_E2E_NO_NETWORK") != L"1") {
      std::wstring why = environment(L"VEL_E2E_NETWORK_WHY");
      if (why.empty()) why = L"not run through tests/e2e/without-network";
      GTEST_SKIP() << "no network fence (" << utility::toUtf8(why)
                   << "); the shipped executable talks to the real hosts, so it is not run";
    }
    shipped_ = environment(L"VEL_E2E_SHIPPED");
    ASSERT_FALSE(shipped_.empty()) << "VEL_E2E_SHIPPED names no executable";
    dir_ = makeTempDir(L"shipped");
    ASSERT_FALSE(dir_.empty());
    ASSERT_TRUE(pointInstallFolder(dir_ + L"player\\"));
  }
  void TearDown() override {
    installer_.kill();
    if (dir_.empty()) return;
    endProcesses(processesToEnd({dir_}));
    pointInstallFolder(L"");
    removeTree(dir_);
  }

  std::wstring shipped_;
  std::wstring dir_;
  ChildProcess installer_;
};

}  // namespace

TEST_F(ShippedExecutable, StartsShowsItsWindowAndEndsWhenClosed) {
  const std::wstring copy = dir_ + L"VelPlayer9_ens_10203_e2e.exe";
  ASSERT_TRUE(CopyFileW(shipped_.c_str(), copy.c_str(), FALSE)) << "cannot copy " << utility::toUtf8(shipped_);
  ASSERT_TRUE(installer_.start(copy, L""));
  HWND window = findMainWindow(installer_.processId(), 60000);
  ASSERT_NE(nullptr, window) << "no main window; exit code " << installer_.waitForExit(0);
  // Painted from the embedded skin: the Install button in the deep accent under white text,
  // normal or hot (the window opens centred, where the display's pointer may rest).
  uint32_t seen = 0;
  EXPECT_TRUE(pumpUntil(
      [&] {
        seen = captureWindow(window).rgb(210, 220);
        return seen == 0x1A6FA8 || seen == 0x1F78B4;
      },
      30000))
      << std::hex << "the Install button shows " << seen;
  saveScreenshot(captureWindow(window), L"ShippedExecutable_main_window.png");

  ASSERT_TRUE(clickAt(window, at::kClose));
  HWND box = waitForWindowOfClass(installer_.processId(), L"box", 10000);
  ASSERT_NE(nullptr, box) << "closing asked nothing";
  pumpFor(300);
  saveScreenshot(captureWindow(box), L"ShippedExecutable_exit_box.png");
  ASSERT_TRUE(clickAt(box, at::kExitYes));
  EXPECT_EQ(0, installer_.waitForExit(20000)) << "still running or crashed after \"Yes\"";
  EXPECT_TRUE(processesToEnd({dir_}).empty()) << "a process of the install folder stayed";
}

// The fence itself, as the shipped executable meets it: a Windows program inside cannot reach
// the stand-in, which listens outside on the loopback (and answers every other test there).
TEST(NetworkFence, HoldsForWindowsPrograms) {
  if (environment(L"VEL_E2E_NO_NETWORK") != L"1") GTEST_SKIP() << "no network fence here";
  WSADATA wsa;
  ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 2), &wsa));
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(INVALID_SOCKET, s);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<u_short>(standinPort()));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int connected = connect(s, reinterpret_cast<sockaddr*>(&to), sizeof to);
  closesocket(s);
  WSACleanup();
  EXPECT_NE(0, connected) << "connected to 127.0.0.1:" << standinPort() << " from inside the fence";
}
