// Plain worker threads that hand their result to an object on the GUI thread.
//
// A worker never touches the receiver: its result travels by a queued signal,
// which Qt drops when the receiver was destroyed in the meantime. So a window
// closed while its request is still running is simply not called back.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <functional>
#include <memory>
#include <thread>
#include <utility>

class WorkerRelay : public QObject {
    Q_OBJECT
signals:
    void ready();
};

// Runs `work` on a new detached thread; `deliver(result)` then runs on the
// thread of `receiver` unless the receiver is gone by then.
template <class Result>
void RunWorker(QObject* receiver, std::function<Result()> work,
               std::function<void(Result&)> deliver) {
    auto* relay = new WorkerRelay; // lives on this thread, deleted there after the signal
    auto result = std::make_shared<Result>();
    QObject::connect(
        relay, &WorkerRelay::ready, receiver, [result, deliver] { deliver(*result); },
        Qt::QueuedConnection);
    std::thread([relay, result, work = std::move(work)] {
        *result = work();
        emit relay->ready();
        relay->deleteLater();
    }).detach();
}

// Runs `fn` on the application's (GUI) thread and waits for it; runs it at
// once when called there or when no application object exists. Prompts are
// shown through this from workers.
inline void RunOnGuiThread(const std::function<void()>& fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
}
