// Posted and timer tasks on the window thread: order, cancel by owner, release exactly once.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "core/dispatch_timer.h"
#include "core/main_thread_dispatcher.h"
#include "core/task_owner.h"
#include "core/thread_checker.h"
#include "tests/support/test_support.h"

using testing_support::pumpFor;
using testing_support::pumpUntil;

namespace {

struct Counters {
  std::atomic<int> runs{0};
  std::atomic<int> releases{0};
};

// Records its runs and its release; every task must be released exactly once.
class CountingTask : public Runable {
 public:
  CountingTask(Counters* counters, std::vector<int>* order, int id) : counters_(counters), order_(order), id_(id) {}
  ~CountingTask() override { ++counters_->releases; }
  void run() override {
    ++counters_->runs;
    EXPECT_EQ(GetCurrentThreadId(), MainThreadDispatcher::instance()->threadId());
    if (order_) order_->push_back(id_);
  }

 private:
  Counters* counters_;
  std::vector<int>* order_;
  int id_;
};

RunablePtr counting(Counters* counters, std::vector<int>* order = nullptr, int id = 0) {
  return RunablePtr(new CountingTask(counters, order, id));
}

class DispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { dispatcher_ = MainThreadDispatcher::createInstance(); }
  MainThreadDispatcher* dispatcher_ = nullptr;
};

TEST_F(DispatcherTest, TasksRunOnTheWindowThreadInPostingOrder) {
  static char owner;
  Counters counters;
  std::vector<int> order;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(dispatcher_->post(&owner, counting(&counters, &order, i)));
  // Posted from a worker too: still run here, after the earlier ones.
  std::thread([&] { dispatcher_->post(&owner, counting(&counters, &order, 5)); }).join();
  EXPECT_EQ(6, dispatcher_->pendingCount(&owner));
  ASSERT_TRUE(pumpUntil([&] { return counters.releases == 6; }, 5000));
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5}), order);
  EXPECT_EQ(6, counters.runs);
  EXPECT_EQ(0, dispatcher_->pendingCount(&owner));
}

TEST_F(DispatcherTest, CancelReleasesQueuedAndLaterTasksUnrunOtherOwnersUnaffected) {
  static char cancelled, other;
  Counters mine, theirs;
  for (int i = 0; i < 3; ++i) dispatcher_->post(&cancelled, counting(&mine));
  dispatcher_->post(&other, counting(&theirs));
  dispatcher_->cancel(&cancelled);
  EXPECT_EQ(-1, dispatcher_->pendingCount(&cancelled));
  std::thread([&] { dispatcher_->post(&cancelled, counting(&mine)); }).join();
  dispatcher_->post(&other, counting(&theirs));

  ASSERT_TRUE(pumpUntil([&] { return mine.releases == 4 && theirs.releases == 2; }, 5000));
  EXPECT_EQ(0, mine.runs);
  EXPECT_EQ(2, theirs.runs);
  EXPECT_EQ(-1, dispatcher_->pendingCount(&cancelled)) << "a cancelled owner stays cancelled";
}

// A worker's replies reach their target on the window thread while the owner lives; once it
// is gone, a reply posted by a worker that outlived it is released unrun.
TEST_F(DispatcherTest, RepliesRunOnTheWindowThreadOnlyWhileTheirOwnerLives) {
  struct Target {
    ThreadChecker thread;
    std::vector<int> seen;
    bool onItsThread = true;
  } target;
  auto owner = std::make_unique<TaskOwner>();
  ReplyPoster<Target> reply = owner->replyTo(&target);
  std::thread([reply] {
    EXPECT_TRUE(reply.post([](Target& t) {
      t.onItsThread = t.onItsThread && t.thread.onValidThread();
      t.seen.push_back(1);
    }));
  }).join();
  ASSERT_TRUE(pumpUntil([&] { return target.seen.size() == 1; }, 5000));
  EXPECT_TRUE(target.onItsThread);

  auto released = std::make_shared<int>(0);
  std::weak_ptr<int> watch = released;
  std::thread([reply, value = std::move(released)] {
    reply.post([value](Target& t) { t.seen.push_back(2); });
  }).join();
  owner.reset();
  std::thread([reply] { reply.post([](Target& t) { t.seen.push_back(3); }); }).join();
  pumpFor(100);
  EXPECT_EQ(std::vector<int>{1}, target.seen) << "nothing ran after the owner went";
  EXPECT_TRUE(watch.expired()) << "the withdrawn reply released what it held";
  std::thread([&] { EXPECT_FALSE(target.thread.onValidThread()); }).join();
}

TEST_F(DispatcherTest, ClosuresAndMemberTasksOwnTheirArguments) {
  struct Target {
    int seen = 0;
    void take(int value) { seen = value; }
    void bump() { ++seen; }
  } target;
  static char owner;
  auto shared = std::make_shared<int>(7);
  std::weak_ptr<int> watch = shared;
  dispatcher_->post(&owner, makeRunable([value = std::move(shared), &target] { target.seen += *value; }));
  dispatcher_->post(&owner, makeMemberRunable(&target, &Target::bump));
  ASSERT_FALSE(watch.expired()) << "the queued closure keeps its argument alive";
  ASSERT_TRUE(pumpUntil([&] { return target.seen == 8; }, 5000));
  EXPECT_TRUE(watch.expired()) << "the task released its argument with itself";
  dispatcher_->post(&owner, makeMemberRunable<decltype(target), int>(&target, &decltype(target)::take, 3));
  ASSERT_TRUE(pumpUntil([&] { return target.seen == 3; }, 5000));

  bool ran = false;
  ASSERT_TRUE(postToMainThread([&] { ran = true; }));
  ASSERT_TRUE(pumpUntil([&] { return ran; }, 5000));
}

TEST(DispatcherPostFailure, ReleasesTheTaskAndLeavesTheCountAsItWas) {
  MainThreadDispatcher::createInstance();
  MainThreadDispatcher local;
  static char owner;
  Counters counters;
  ASSERT_TRUE(DestroyWindow(local.window()));
  EXPECT_FALSE(local.post(&owner, counting(&counters)));
  EXPECT_EQ(1, counters.releases);
  EXPECT_EQ(0, counters.runs);
  EXPECT_EQ(0, local.pendingCount(&owner));
}

TEST_F(DispatcherTest, TimersTickUntilKilledAndReleaseTheirTask) {
  Counters counters;
  RunablePtr task = counting(&counters);
  UINT_PTR id = dispatcher_->setTimer(20, task);
  ASSERT_NE(0u, id);
  EXPECT_FALSE(task) << "the dispatcher holds the timer task";
  ASSERT_TRUE(pumpUntil([&] { return counters.runs >= 3; }, 5000));
  EXPECT_EQ(0, counters.releases);
  dispatcher_->killTimer(id);
  EXPECT_EQ(1, counters.releases);
  int runs = counters.runs;
  pumpFor(150);
  EXPECT_EQ(runs, counters.runs);
  dispatcher_->killTimer(id);  // unknown id: nothing
  EXPECT_EQ(1, counters.releases);
}

TEST_F(DispatcherTest, TimerTaskMayKillItsOwnTimer) {
  DispatchTimer timer;
  int runs = 0;
  ASSERT_TRUE(timer.start(10, makeRunable([&] {
    ++runs;
    timer.stop();
  })));
  ASSERT_TRUE(pumpUntil([&] { return runs == 1 && !timer.isRunning(); }, 5000));
  pumpFor(100);
  EXPECT_EQ(1, runs);
}

// A timer task that kills its own timer and then runs a message loop of its own (as a modal
// box does) lets other timers tick inside it; their ticks must not free the outer task.
class ModalTimerTask : public Runable {
 public:
  ModalTimerTask(Counters* counters, DispatchTimer* own, DispatchTimer* inner, Counters* innerCounters,
                 int* releasesSeenInside)
      : counters_(counters), own_(own), inner_(inner), innerCounters_(innerCounters),
        releasesSeenInside_(releasesSeenInside) {}
  ~ModalTimerTask() override { ++counters_->releases; }
  void run() override {
    ++counters_->runs;
    own_->stop();
    EXPECT_TRUE(inner_->start(10, counting(innerCounters_)));
    pumpUntil([this] { return innerCounters_->runs >= 3; }, 5000);
    inner_->stop();
    *releasesSeenInside_ = counters_->releases.load();
    ++counters_->runs;  // touches the task after the nested loop
  }

 private:
  Counters* counters_;
  DispatchTimer* own_;
  DispatchTimer* inner_;
  Counters* innerCounters_;
  int* releasesSeenInside_;
};

TEST_F(DispatcherTest, ATimerKilledByItsOwnTaskSurvivesTicksOfOtherTimersInANestedLoop) {
  Counters outer, inner;
  DispatchTimer own, other;
  int releasesSeenInside = -1;
  ASSERT_TRUE(own.start(10, RunablePtr(new ModalTimerTask(&outer, &own, &other, &inner, &releasesSeenInside))));
  ASSERT_TRUE(pumpUntil([&] { return outer.releases == 1; }, 10000));
  EXPECT_EQ(0, releasesSeenInside) << "the outer task was freed while it ran";
  EXPECT_EQ(2, outer.runs) << "one tick, ended normally";
  EXPECT_GE(inner.runs, 3);
  EXPECT_EQ(1, inner.releases);
}

TEST_F(DispatcherTest, DispatchTimerRefusesPeriodZeroAndNoTask) {
  Counters counters;
  DispatchTimer timer;
  EXPECT_FALSE(timer.start(0, counting(&counters)));
  EXPECT_FALSE(timer.isRunning());
  EXPECT_EQ(1, counters.releases) << "a refused task is not kept";
  EXPECT_FALSE(timer.start(10, RunablePtr()));

  ASSERT_TRUE(timer.start(10, counting(&counters)));
  ASSERT_TRUE(timer.start(10, counting(&counters))) << "restarting replaces the running timer";
  EXPECT_EQ(2, counters.releases);
  timer.stop();
  EXPECT_EQ(3, counters.releases);
  EXPECT_FALSE(timer.isRunning());
}

}  // namespace
