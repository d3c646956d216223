// SPDX-License-Identifier: GPL-3.0-or-later
// The profile chart on its own (window.tkProfile) in the real browser: what it tells its page
// through the callbacks, and when it keeps its chart for the next track.
#include "map/MapPagesFixture.h"

#include <string>

namespace tk::pagetest {
namespace {

// A second profile beside the page's own, recording its callbacks in window.told.
constexpr const char* kCreateProfile =
    "(() => { const box = document.createElement('div'); box.id = 'testProfile';"
    "box.style.cssText = 'position: fixed; left: 0; top: 0; width: 500px; height: 160px';"
    "document.body.appendChild(box); window.told = [];"
    "window.testProfile = tkProfile.create(box, {"
    "drawn: n => told.push('drawn ' + n), select: (a, b) => told.push('select ' + a + ' ' + b),"
    "hover: i => told.push('hover ' + i), click: () => told.push('click')});"
    "return true; })()";

// tkPage.rows with their altitude and speed texts in feet and miles per hour.
constexpr const char* kImperialRows =
    "tkPage.rows.map(r => [r[0], r[1], parseInt(r[2]) * 3 + ' F', parseInt(r[3]) + ' MPH', r[4]])";

class ProfileChart : public MapPages {
protected:
    void SetUp() override {
        MapPages::SetUp();
        writeData(walkTrack(300));
        injectBeforePage(kOfflineTiles);
        openPage("Custom.html");
        ASSERT_TRUE(waitReady());
        ASSERT_TRUE(eval(kCreateProfile).toBool());
    }
    std::string told() { return eval("told.join(', ')").toString().toStdString(); }
    bool waitTold(const QString& what) { return waitFor(QString("told.includes('%1')").arg(what)); }
    // Presses at x and releases at x + move on the test chart, halfway down.
    void pressAndRelease(int x, int move) {
        eval(QString(
                 "(() => { const over = testChart.over; const r = over.getBoundingClientRect();"
                 "const at = (type, dx) => over.dispatchEvent(new MouseEvent(type, {"
                 "clientX: r.left + %1 + dx, clientY: r.top + r.height / 2, movementX: dx, "
                 "bubbles: true}));"
                 "at('mouseenter', 0); at('mousemove', 0); at('mousedown', 0); at('mousemove', %2);"
                 "at('mouseup', %2); })()")
                 .arg(x)
                 .arg(move));
    }
};

TEST_F(ProfileChart, KeepsItsChartForTheSameUnitsAndTellsEachNewTrackDrawnOnce) {
    ASSERT_TRUE(eval("(window.testChart = testProfile.draw(tkPage.rows)) !== null").toBool());
    ASSERT_TRUE(waitTold("drawn 301"));
    eval(
        "testChart.setSelect({left: 50, top: 0, width: 100, height: testChart.over.clientHeight})");
    ASSERT_TRUE(waitFor("testChart.select.width > 0"));
    EXPECT_NE(told().find("select "), std::string::npos) << told();

    // Same units: the chart stays, its selection goes, and the shorter track is told once.
    eval("told = []; window.kept = testProfile.draw(tkPage.rows.slice(0, 50))");
    ASSERT_TRUE(waitTold("drawn 50"));
    EXPECT_TRUE(eval("kept === testChart").toBool());
    EXPECT_EQ(eval("testChart.select.width").toInt(), 0);
    eval("testChart.setSize({width: 400, height: 150})");
    ASSERT_TRUE(waitFor("testChart.width === 400"));
    EXPECT_EQ(told(), "drawn 50") << "a redraw is not a new track";

    // Other units: new axes labelled with them, and the old chart gone from the page.
    eval(QString("told = []; window.testChart = testProfile.draw(%1)").arg(kImperialRows));
    ASSERT_TRUE(waitTold("drawn 301"));
    EXPECT_FALSE(eval("testChart === kept").toBool());
    EXPECT_EQ(
        eval("testChart.axes[1].label + ' ' + testChart.axes[2].label").toString().toStdString(),
        "F MPH");
    EXPECT_EQ(eval("document.querySelectorAll('#testProfile .uplot').length").toInt(), 1);
    EXPECT_EQ(eval("testChart.data[1][0]").toInt(), 450);
    expectNoBoxesOrErrors();
}

TEST_F(ProfileChart, AClickIsToldAndADragIsASelectionInstead) {
    eval("window.testChart = testProfile.draw(tkPage.rows)");
    ASSERT_TRUE(waitTold("drawn 301"));
    eval("told = []");
    pressAndRelease(100, 2);
    EXPECT_TRUE(waitTold("click")) << told();

    eval("told = []");
    pressAndRelease(100, 150);
    ASSERT_TRUE(waitFor("told.some(t => t.startsWith('select '))")) << told();
    EXPECT_EQ(told().find("click"), std::string::npos) << told();
    const QStringList stretch =
        QString::fromStdString(told()).split(", ").filter("select ").first().split(' ');
    EXPECT_LT(stretch[1].toInt(), stretch[2].toInt());
    EXPECT_NE(told().find("hover "), std::string::npos) << "moving over the chart names a row";
    expectNoBoxesOrErrors();
}

} // namespace
} // namespace tk::pagetest
