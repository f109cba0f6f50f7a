// Widget tests answer a modal dialog that a command opens: OnModal<T>(act)
// runs `act` on the dialog of type T once it is the active modal widget, and
// fails (letting the caller go on) when none opens within a few seconds.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

template <class T> void OnModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dlg);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
    timer->start(10);
}
