// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli stats: its JSON read back with Qt's JSON parser against the engine's figures of
// the same tracks decoded in process, a hand-made trip across midnight below sea level, and the
// answers to bad options.
#include "e2e/SimProcess.h"
#include "support/Contains.h"
#include "support/RecordBuilder.h"
#include "tracks/ProjectFile.h"
#include "tracks/TripFigures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

namespace tk::e2e {
namespace {

using test::contains;

QJsonArray statsTracks(const std::vector<std::string>& args) {
    const CliResult run = runCli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
    return doc.object().value("tracks").toArray();
}

void expectFigures(const QJsonObject& o, const TripFigures& f) {
    EXPECT_EQ(o.value("duration").toInteger(), f.duration);
    EXPECT_EQ(o.value("movingTime").toInteger(), f.movingTime);
    const std::pair<const char*, double> numbers[] = {
        {"length", f.length},           {"averageSpeed", f.averageSpeed},
        {"movingSpeed", f.movingSpeed}, {"maxSpeed", f.maxSpeed},
        {"ascent", f.ascent},           {"descent", f.descent},
        {"ascentRaw", f.ascentRaw},     {"descentRaw", f.descentRaw},
        {"minAltitude", f.minAltitude}, {"maxAltitude", f.maxAltitude}};
    for (const auto& [name, value] : numbers)
        EXPECT_EQ(o.value(name).toDouble(), value) << name;
    const QJsonArray splits = o.value("splits").toArray();
    ASSERT_EQ(static_cast<std::size_t>(splits.size()), f.splits.size());
    for (qsizetype i = 0; i < splits.size(); ++i)
        EXPECT_EQ(splits[i].toDouble(), f.splits[static_cast<std::size_t>(i)]);
}

TEST(CliStats, JsonHoldsTheEnginesFiguresOfEveryTrackWithAndWithoutOptions) {
    const TempDir dir;
    const std::string file = (dir / "demo.gpl").string();
    ASSERT_EQ(runCli({"demo", "-o", file, "--seed", "5"}).status, 0);
    auto buffer = std::make_unique<PageBuffer>();
    TrackTable table;
    TrackDecoder decoder(table);
    ASSERT_TRUE(openProject(file, *buffer, decoder).ok());

    const FigureSettings defaults;
    const QJsonArray all = statsTracks({"stats", file, "--json"});
    ASSERT_EQ(all.size(), table.lastTrack + 1);
    for (const QJsonValue& entry : all) {
        const QJsonObject o = entry.toObject();
        const int number = o.value("track").toInt();
        SCOPED_TRACE(number);
        const Track& t = table.tracks[static_cast<std::size_t>(number - 1)];
        EXPECT_EQ(o.value("name").toString().toStdString(), t.name);
        EXPECT_EQ(o.value("start").toString().size(), 20);
        expectFigures(o, tripFigures(t.points, defaults));
    }

    const QJsonArray second = statsTracks({"stats", file, "--track", "2", "--moving-speed", "7.5",
                                           "--climb-threshold", "0.5", "--json"});
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(second[0].toObject().value("track").toInt(), 2);
    expectFigures(second[0].toObject(), tripFigures(table.tracks[1].points, {7.5, 0.5}));
}

TEST(CliStats, TripAcrossMidnightBelowSeaLevel) {
    using test::Fix;
    std::vector<LogRecord> records = {test::startRecord(5, 0, 180)};
    const Fix fixes[] = {{23, 59, 50, 13, 5, 7, 10000, -120, 31.5, 35.5},
                         {23, 59, 55, 13, 5, 7, 0, -175, 31.5001, 35.5001},
                         {0, 0, 5, 13, 5, 8, 20000, -118, 31.5002, 35.5002}};
    for (const Fix& f : fixes)
        records.push_back(test::fixRecord(f));
    records.push_back(test::endRecord());
    const TempDir dir;
    writeBytes(dir / "night.gpl", test::concat(records));

    const QJsonArray tracks = statsTracks({"stats", (dir / "night.gpl").string(), "--json"});
    ASSERT_EQ(tracks.size(), 1);
    const QJsonObject o = tracks[0].toObject();
    EXPECT_EQ(o.value("start").toString(), "2013-05-07T23:59:50Z");
    EXPECT_EQ(o.value("end").toString(), "2013-05-08T00:00:05Z");
    EXPECT_EQ(o.value("duration").toInt(), 15);
    EXPECT_EQ(o.value("movingTime").toInt(), 10); // the second fix is recorded standing
    EXPECT_DOUBLE_EQ(o.value("minAltitude").toDouble(), -17.5);
    EXPECT_DOUBLE_EQ(o.value("descent").toDouble(), 5.5);
    EXPECT_DOUBLE_EQ(o.value("ascent").toDouble(), 5.7);
    EXPECT_DOUBLE_EQ(o.value("maxSpeed").toDouble(), 20.0);
    EXPECT_TRUE(o.value("splits").toArray().isEmpty());
}

TEST(CliStats, TableNamesTheThresholdsAndBadOptionsAreUsageErrors) {
    const TempDir dir;
    const std::string file = (dir / "demo.gpl").string();
    ASSERT_EQ(runCli({"demo", "-o", file}).status, 0);
    const CliResult table =
        runCli({"stats", file, "--moving-speed", "3", "--climb-threshold", "10"});
    EXPECT_EQ(table.status, 0);
    EXPECT_TRUE(contains(
        table.out, {"Moving at 3 km/h or faster; climbs and drops of 10 m or more.", "   4  "}));

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"stats", file, "--moving-speed", "fast"},
          {"stats", file, "--moving-speed", "nan"},
          {"stats", file, "--climb-threshold", "-1"},
          {"stats", file, "--climb-threshold", "1e3"},
          {"stats", file, "--track", "0"},
          {"stats", file, "--moving-speed"},
          {"stats", file, "--colour", "x"},
          {"stats"}}) {
        const CliResult run = runCli(bad);
        EXPECT_EQ(run.status, 2) << bad.back();
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(contains(run.err, {"(see trailkeep-cli --help)"}));
    }
    const CliResult missing = runCli({"stats", file, "--track", "99", "--json"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "trailkeep-cli: track 99 has no points\n");
}

} // namespace
} // namespace tk::e2e
