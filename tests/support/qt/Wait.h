// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

// Runs the event loop until the condition holds or the time is up; answers whether it held.
// A real event loop, so the embedded browser gets its events as it would for a user. Use inside
// EXPECT_TRUE / ASSERT_TRUE: Qt Test's own QTRY macros do not fail a GoogleTest test.
template <typename Condition> bool waitUntil(Condition condition, int timeoutMs = 10000) {
    if (condition())
        return true;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    bool held = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        held = condition();
        if (held || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    poll.start(10);
    loop.exec();
    return held;
}

// Once `find` answers a widget (looked for every 20 ms without blocking the event loop), runs
// `act` on it, once. For modal dialogs and menus that a command opens while the test waits.
template <typename Widget>
void whenShown(std::function<Widget*()> find, std::function<void(Widget*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, find, act] {
        if (Widget* widget = find()) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        }
    });
    timer->start();
}

// A round trip through the page's renderer: once a script sent now has answered, everything the
// page was asked to do before it (scripts, navigations, input) has been handled. Tests use it
// before checking that something did NOT happen, instead of waiting a fixed time.
template <typename Page> bool settle(Page* page, int timeoutMs = 20000) {
    auto answered = std::make_shared<bool>(false);
    page->runJavaScript(QStringLiteral("1"), [answered](const QVariant&) { *answered = true; });
    return waitUntil([&] { return *answered; }, timeoutMs);
}

// Runs a script in the page and waits for its value (a test failure when none comes).
template <typename Page>
QVariant evaluateIn(Page* page, const QString& script, int timeoutMs = 10000) {
    auto answer = std::make_shared<std::pair<QVariant, bool>>();
    page->runJavaScript(script, [answer](const QVariant& value) { *answer = {value, true}; });
    EXPECT_TRUE(waitUntil([&] { return answer->second; }, timeoutMs)) << script.toStdString();
    return answer->first;
}
