// Tab order and the notification map, without a window.
#include <gtest/gtest.h>

#include "toolkit/control.h"
#include "toolkit/focus_order.h"
#include "toolkit/notify_pump.h"

namespace {

TEST(FocusOrderTest, MovesToTheNextCandidateAndWraps) {
  struct Case {
    std::vector<bool> candidates;
    int current;
    bool forward;
    int expected;
  };
  const std::vector<Case> cases = {
      {{true, false, true}, 0, true, 2},     {{true, false, true}, 2, true, 0},
      {{true, false, true}, 0, false, 2},    {{false, true, false}, -1, true, 1},
      {{true, true, false}, -1, false, 1},   {{false, true}, 1, true, 1},
      {{false, false}, -1, true, -1},        {{}, -1, true, -1},
      {{true, true, true}, 7, true, 0},      {{false, true, true}, 1, false, 2},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(c.expected, toolkit::nextFocusIndex(c.candidates, c.current, c.forward)) << "case " << i;
  }
}

class Pump : public toolkit::CNotifyPump {
 public:
  void onInstall(toolkit::TNotifyUI&) { calls.push_back(L"install"); }
  std::vector<std::wstring> calls;
};

TEST(NotifyPumpTest, RoutesByTypeAndNameThenByTypeAlone) {
  Pump pump;
  pump.addNotify(L"click", L"installnowbtn", &Pump::onInstall);
  pump.addNotify(L"click", L"", [&](toolkit::TNotifyUI& msg) { pump.calls.push_back(L"any:" + msg.sender->name()); });
  pump.addNotify(L"killfocus", L"pathedit", [&](toolkit::TNotifyUI&) { pump.calls.push_back(L"path"); });
  toolkit::CControlUI install, other, path;
  install.setName(L"installnowbtn");
  other.setName(L"closebtn");
  path.setName(L"pathedit");
  struct Case {
    const wchar_t* type;
    toolkit::CControlUI* sender;
    bool handled;
  };
  for (const Case& c : {Case{L"click", &install, true}, Case{L"click", &other, true}, Case{L"killfocus", &path, true},
                        Case{L"killfocus", &other, false}, Case{L"itemselect", &install, false}}) {
    toolkit::TNotifyUI msg;
    msg.type = c.type;
    msg.sender = c.sender;
    EXPECT_EQ(c.handled, pump.dispatchNotify(msg)) << c.type;
  }
  EXPECT_EQ((std::vector<std::wstring>{L"install", L"any:closebtn", L"path"}), pump.calls);
}

TEST(NotifyPumpTest, ALaterEntryReplacesAndRemovalStopsRouting) {
  Pump pump;
  toolkit::CControlUI button;
  button.setName(L"btn");
  toolkit::TNotifyUI msg;
  msg.type = L"click";
  msg.sender = &button;
  int first = 0, second = 0;
  pump.addNotify(L"click", L"btn", [&](toolkit::TNotifyUI&) { ++first; });
  pump.addNotify(L"click", L"btn", [&](toolkit::TNotifyUI&) { ++second; });
  EXPECT_TRUE(pump.dispatchNotify(msg));
  EXPECT_EQ(0, first);
  EXPECT_EQ(1, second);
  // A handler may drop its own entry while it runs.
  pump.addNotify(L"click", L"btn", [&](toolkit::TNotifyUI&) { pump.removeNotify(L"click", L"btn"); });
  EXPECT_TRUE(pump.dispatchNotify(msg));
  EXPECT_FALSE(pump.dispatchNotify(msg));
}

}  // namespace
