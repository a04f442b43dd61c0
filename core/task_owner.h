#pragma once
// The one way from a worker back to an object on the window thread, after Chromium's
// PostTaskAndReply with a weak pointer.
//
// The object owns a TaskOwner (window thread). It hands each worker a ReplyPoster<T>
// bound to itself: the worker posts replies, each a callable taking T&, which run on the
// window thread inside its message loop. The worker never reaches the object itself: the
// poster offers no access to it, and a reply runs only while its owner lives. When the
// owner is cancelled or destroyed, every reply still queued or posted later is released
// unrun (on whichever thread lets it go), so a worker that outlives its owner posts into
// nothing. Posting never blocks.
#include <functional>
#include <utility>

#include "core/main_thread_dispatcher.h"
#include "core/thread_checker.h"

template <class T>
class ReplyPoster {
 public:
  ReplyPoster() = default;

  // Any thread. False when the reply could not be queued (no dispatcher); it is then
  // released here. A reply to an owner that is gone is released unrun.
  template <class F>
  bool post(F reply) const {
    MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance();
    if (!dispatcher || !key_) return false;
    T* target = target_;
    return dispatcher->post(key_, makeRunable([target, reply = std::move(reply)]() mutable { reply(*target); }));
  }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  friend class TaskOwner;
  ReplyPoster(const void* key, T* target) : key_(key), target_(target) {}
  const void* key_ = nullptr;
  T* target_ = nullptr;  // dereferenced only on the window thread, inside a live reply
};

class TaskOwner {
 public:
  TaskOwner() : key_(newOwnerKey()) {}
  ~TaskOwner() { cancel(); }
  TaskOwner(const TaskOwner&) = delete;
  TaskOwner& operator=(const TaskOwner&) = delete;

  // Window thread: a poster whose replies reach target while this owner lives.
  template <class T>
  ReplyPoster<T> replyTo(T* target) const {
    VEL_CHECK_THREAD(thread_);
    return ReplyPoster<T>(key_, target);
  }
  // Final: queued replies are withdrawn and later ones are refused.
  void cancel() {
    VEL_CHECK_THREAD(thread_);
    if (MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance()) dispatcher->cancel(key_);
  }
  // The replies queued now; -1 once cancelled.
  long pendingCount() const {
    MainThreadDispatcher* dispatcher = MainThreadDispatcher::instance();
    return dispatcher ? dispatcher->pendingCount(key_) : 0;
  }

 private:
  ThreadChecker thread_;
  const void* key_;
};
