// Calls from other threads (a run's, a preview's) carried onto the
// window's own.
#ifndef LUMIVANE_UI_WINDOW_THREAD_H_
#define LUMIVANE_UI_WINDOW_THREAD_H_

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>

namespace lumivane::ui {

// Runs `f` on the thread of `context` and waits for it; directly when
// already there.
template <typename F>
auto OnWindowThread(QObject* context, F f) -> decltype(f()) {
  if (QThread::currentThread() == context->thread()) return f();
  if constexpr (std::is_void_v<decltype(f())>) {
    QMetaObject::invokeMethod(context, f, Qt::BlockingQueuedConnection);
  } else {
    decltype(f()) result{};
    QMetaObject::invokeMethod(
        context, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

}  // namespace lumivane::ui

#endif  // LUMIVANE_UI_WINDOW_THREAD_H_
