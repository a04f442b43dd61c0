#pragma once
// A task: one call packaged to be made later, on a worker or on the window thread.
// Every task is created with new and released exactly once by its last holder;
// RunablePtr makes that holder explicit.
#include <memory>
#include <utility>

class Runable {
 public:
  virtual void release() { delete this; }
  virtual ~Runable() = default;
  virtual void run() = 0;
};

struct RunableRelease {
  void operator()(Runable* task) const {
    if (task) task->release();
  }
};
using RunablePtr = std::unique_ptr<Runable, RunableRelease>;

template <class T>
class MemberFuncRunable : public Runable {
 public:
  using Method = void (T::*)();
  MemberFuncRunable(T* object, Method method) : object_(object), method_(method) {}
  void run() override { (object_->*method_)(); }

 private:
  T* object_;
  Method method_;
};

template <class T, class A>
class MemberFuncRunable1 : public Runable {
 public:
  using Method = void (T::*)(A);
  MemberFuncRunable1(T* object, Method method, A argument)
      : object_(object), method_(method), argument_(std::move(argument)) {}
  void run() override { (object_->*method_)(argument_); }

 private:
  T* object_;
  Method method_;
  A argument_;
};

template <class F>
class FunctionRunable : public Runable {
 public:
  explicit FunctionRunable(F function) : function_(std::move(function)) {}
  void run() override { function_(); }

 private:
  F function_;
};

template <class F>
RunablePtr makeRunable(F function) {
  return RunablePtr(new FunctionRunable<F>(std::move(function)));
}

template <class T>
RunablePtr makeMemberRunable(T* object, void (T::*method)()) {
  return RunablePtr(new MemberFuncRunable<T>(object, method));
}

template <class T, class A>
RunablePtr makeMemberRunable(T* object, void (T::*method)(A), A argument) {
  return RunablePtr(new MemberFuncRunable1<T, A>(object, method, std::move(argument)));
}
