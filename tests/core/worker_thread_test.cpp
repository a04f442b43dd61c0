#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/worker_thread.h"
#include "tests/support/test_support.h"
#include "utility/log.h"
#include "utility/log_writer.h"

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
  ASSERT_TRUE(worker.start(RunablePtr(new FlagTask(&released))));
  // The thread releases its task as soon as run returns; only the counter outlives it.
  for (int i = 0; i < 1000 && released == 0; ++i) Sleep(5);
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

TEST(WorkerThread, ATaskThatIgnoresStopIsAbandonedNotTerminatedNorFreed) {
  std::atomic<int> released{0};
  long abandonedBefore = WorkerThread::abandonedCount();
  auto* task = new FlagTask(&released, 1500);
  {
    WorkerThread worker;
    ASSERT_TRUE(worker.start(RunablePtr(task)));
    DWORD before = GetTickCount();
    worker.stop(300);
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 250u);
    EXPECT_LT(elapsed, 1400u) << "stop returns at its limit";
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(abandonedBefore + 1, WorkerThread::abandonedCount());
    EXPECT_EQ(0, released) << "the task is not freed under its running thread";
    // The object is usable again at once.
    ASSERT_TRUE(worker.start(RunablePtr(new FlagTask(&released))));
    worker.stop(5000);
    EXPECT_EQ(1, released);
  }
  // The abandoned thread ends its task, with its owner gone, and frees it itself.
  for (int i = 0; i < 100 && released < 2; ++i) Sleep(50);
  EXPECT_EQ(2, released);
}

// A task that keeps logging and allocating until the test lets it go, and then checks its
// stop state through the owner-free form.
class BusyLogger : public Runable {
 public:
  BusyLogger(std::atomic<bool>* release, std::atomic<int>* ended, std::atomic<int>* sawStop)
      : release_(release), ended_(ended), sawStop_(sawStop) {}
  ~BusyLogger() override { ++*ended_; }
  void run() override {
    while (!release_->load()) {
      std::wstring text(64, L'x');
      VEL_LOG(L"busy %s", text.c_str());
    }
    if (WorkerThread::stopRequestedOnThisThread()) ++*sawStop_;
  }

 private:
  std::atomic<bool>* release_;
  std::atomic<int>* ended_;
  std::atomic<int>* sawStop_;
};

TEST(WorkerThread, AbandonedWorkersHoldingTheLogAndHeapNeverBlockTheOwner) {
  // Killing a thread inside the log writer's lock or the heap hung the next log line or
  // allocation of its owner; an abandoned one goes on and the owner never waits for it.
  std::wstring folder = testing_support::makeTempDir(L"abandon");
  common::LogWriter writer(folder + L"log.txt", common::LogWriter::Limits());
  common::LogWriter* previousWriter = common::LogWriter::instance();
  LogSink previousSink = g_logSink;
  common::LogWriter::setInstance(&writer);
  g_logSink = &logToFile;

  std::atomic<bool> release{false};
  std::atomic<int> ended{0}, sawStop{0};
  constexpr int kRounds = 60;
  for (int round = 0; round < kRounds; ++round) {
    WorkerThread worker;
    ASSERT_TRUE(worker.start(RunablePtr(new BusyLogger(&release, &ended, &sawStop))));
    Sleep(round % 3);
    worker.requestStop();
    worker.stop(0);
    std::vector<std::string> allocations(32, std::string(1000, 'y'));
    VEL_LOG(L"owner goes on %d", round);
  }
  EXPECT_EQ(0, ended) << "no abandoned task was freed while it ran";
  release = true;
  for (int i = 0; i < 200 && ended < kRounds; ++i) Sleep(25);
  EXPECT_EQ(kRounds, ended);
  EXPECT_EQ(kRounds, sawStop) << "the stop request stays visible to an abandoned thread";
  EXPECT_TRUE(writer.waitUntilWritten(5000));
  g_logSink = previousSink;
  common::LogWriter::setInstance(previousWriter);
}

TEST(WorkerThread, OwnerFreeStopStateIsEmptyOffAWorker) {
  EXPECT_FALSE(WorkerThread::stopRequestedOnThisThread());
  EXPECT_EQ(nullptr, WorkerThread::stopEventOfThisThread());
}

}  // namespace
