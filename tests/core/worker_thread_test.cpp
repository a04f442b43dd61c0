#include <gtest/gtest.h>

#include <atomic>

#include "core/worker_thread.h"

namespace {

class FlagTask : public Runable {
 public:
  explicit FlagTask(std::atomic<int>* released, DWORD workMs = 0, WorkerThread* owner = nullptr)
      : released_(released), workMs_(workMs), owner_(owner) {}
  ~FlagTask() override { ++*released_; }
  void run() override {
    if (owner_) {
      // Works until asked to stop, waiting on the stop event rather than spinning.
      while (!owner_->isStopRequested()) WaitForSingleObject(owner_->stopEvent(), 1000);
    } else if (workMs_) {
      Sleep(workMs_);
    }
    ran = true;
  }
  std::atomic<bool> ran{false};

 private:
  std::atomic<int>* released_;
  DWORD workMs_;
  WorkerThread* owner_;
};

TEST(WorkerThread, SecondStartIsRefusedAndTheCallerKeepsItsTask) {
  std::atomic<int> released{0};
  WorkerThread worker;
  ASSERT_TRUE(worker.start(RunablePtr(new FlagTask(&released, 200))));
  RunablePtr second(new FlagTask(&released));
  EXPECT_FALSE(worker.start(second));
  EXPECT_TRUE(second) << "refused task stays with the caller";
  second.reset();
  EXPECT_EQ(1, released);
  worker.stop(5000);
  EXPECT_EQ(2, released);
  EXPECT_FALSE(worker.isRunning());
}

TEST(WorkerThread, StopAfterTheTaskEndedReturnsAtOnceAndReleasesIt) {
  std::atomic<int> released{0};
  WorkerThread worker;
  auto* task = new FlagTask(&released);
  ASSERT_TRUE(worker.start(RunablePtr(task)));
  while (!task->ran) Sleep(5);
  DWORD before = GetTickCount();
  worker.stop(10000);
  EXPECT_LT(GetTickCount() - before, 2000u);
  EXPECT_EQ(1, released);
  // It can be started again after stop.
  ASSERT_TRUE(worker.start(RunablePtr(new FlagTask(&released))));
  worker.stop(5000);
  EXPECT_EQ(2, released);
}

TEST(WorkerThread, RequestStopWakesACooperativeTask) {
  std::atomic<int> released{0};
  WorkerThread worker;
  auto* task = new FlagTask(&released, 0, &worker);
  ASSERT_TRUE(worker.start(RunablePtr(task)));
  EXPECT_FALSE(worker.isStopRequested());
  worker.requestStop();
  EXPECT_TRUE(worker.isStopRequested());
  DWORD before = GetTickCount();
  worker.stop(5000);
  EXPECT_LT(GetTickCount() - before, 900u) << "the stop event woke the task before its 1 s wait ran out";
  EXPECT_EQ(1, released);
  EXPECT_FALSE(worker.isStopRequested()) << "stop clears the request";
}

TEST(WorkerThread, ATaskThatIgnoresStopIsTerminatedAfterTheLimit) {
  std::atomic<int> released{0};
  WorkerThread worker;
  ASSERT_TRUE(worker.start(RunablePtr(new FlagTask(&released, 60000))));
  DWORD before = GetTickCount();
  worker.stop(300);
  DWORD elapsed = GetTickCount() - before;
  EXPECT_GE(elapsed, 250u);
  EXPECT_LT(elapsed, 5000u);
  EXPECT_FALSE(worker.isRunning());
  EXPECT_EQ(1, released);
}

}  // namespace
