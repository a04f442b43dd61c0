// The window-message endpoint in one process: which messages reach the handler, and a peer
// that finds the endpoint by its class name.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/test_support.h"
#include "utility/window_ipc.h"

using namespace testing_support;

namespace {

struct Received {
  unsigned message;
  WPARAM wParam;
  LPARAM lParam;
};

class RecordingHandler : public utility::IWindowIPCHandle {
 public:
  int onHandleWindowIPC(unsigned message, WPARAM wParam, LPARAM lParam) override {
    received.push_back({message, wParam, lParam});
    return 0;
  }
  std::vector<Received> received;
};

const wchar_t* const kClass = L"{6B1F3C52-0D7A-4E0B-9A57-ENDPOINTTEST}";

}  // namespace

TEST(WindowIPC, OnlyMessagesAboveWmUserAndCopyDataReachTheHandler) {
  RecordingHandler handler;
  utility::WindowIPC endpoint;
  ASSERT_TRUE(endpoint.create(kClass, &handler));
  ASSERT_NE(nullptr, endpoint.window());
  EXPECT_FALSE(IsWindowVisible(endpoint.window()));
  EXPECT_EQ(nullptr, GetParent(endpoint.window()));

  utility::WindowIPC peer;
  ASSERT_TRUE(peer.open(kClass, L""));
  EXPECT_EQ(endpoint.window(), peer.window());
  ASSERT_TRUE(peer.post(WM_USER, 1, 2));
  ASSERT_TRUE(peer.post(WM_USER + 1, 3, 4));
  ASSERT_TRUE(peer.post(11124, 5, 0));
  ASSERT_TRUE(peer.post(WM_NULL, 0, 0));
  pumpUntil([&] { return handler.received.size() >= 2; }, 2000);
  // WM_COPYDATA is only ever sent; the handler gets it and its result is 0.
  char bytes[] = "hello";
  COPYDATASTRUCT data = {7, sizeof(bytes), bytes};
  EXPECT_EQ(0, SendMessageW(endpoint.window(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
  pumpFor(200);

  ASSERT_EQ(3u, handler.received.size());
  EXPECT_EQ(WM_USER + 1u, handler.received[0].message);
  EXPECT_EQ(3u, handler.received[0].wParam);
  EXPECT_EQ(4, handler.received[0].lParam);
  EXPECT_EQ(11124u, handler.received[1].message);
  EXPECT_EQ(5u, handler.received[1].wParam);
  EXPECT_EQ(static_cast<unsigned>(WM_COPYDATA), handler.received[2].message);
  DestroyWindow(endpoint.window());
}

TEST(WindowIPC, APeerWithoutAnEndpointFindsNothingAndPostsNothing) {
  utility::WindowIPC peer;
  EXPECT_FALSE(peer.open(L"{00000000-0000-0000-0000-NOSUCHCLASS0}", L""));
  EXPECT_EQ(nullptr, peer.window());
  EXPECT_FALSE(peer.post(11123, 0, 0));
}

TEST(WindowIPC, AnEndpointWithoutHandlerDropsItsMessages) {
  utility::WindowIPC endpoint;
  ASSERT_TRUE(endpoint.create(L"{6B1F3C52-0D7A-4E0B-9A57-NOHANDLER000}", nullptr));
  EXPECT_TRUE(PostMessageW(endpoint.window(), 11125, 0, 0));
  pumpFor(100);  // nothing to record and nothing to crash on
  DestroyWindow(endpoint.window());
}
