#pragma once

#include <QTest>

// Runs the event loop until the condition holds or the time is up; answers whether it held.
// Use inside EXPECT_TRUE / ASSERT_TRUE: Qt Test's own QTRY macros do not fail a GoogleTest test.
template <typename Condition> bool waitUntil(Condition condition, int timeoutMs = 10000) {
    return QTest::qWaitFor(condition, timeoutMs);
}
