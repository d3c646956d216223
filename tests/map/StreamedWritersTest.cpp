// SPDX-License-Identifier: GPL-3.0-or-later
// The writers' streamed form: the pieces put together are the whole document, byte for byte,
// and no piece is much longer than a chunk.
#include "map/GpxWriter.h"
#include "map/KmlWriter.h"
#include "map/MapDataScript.h"
#include "map/TextAppend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tk {
namespace {

// A long track with moving points, so the data script keeps most rows.
Track longTrack(std::size_t count, std::string name = "2013-10-23 08:00:00") {
    Track t;
    t.name = std::move(name);
    t.stepSeconds = 1;
    t.peakSpeed = 52000;
    t.distance = 31234;
    for (std::size_t i = 0; i < count; ++i) {
        const auto n = static_cast<std::int32_t>(i);
        t.points.push_back({80000 + n % 60 + n / 60 % 60 * 100, 3600u * (n % 50), -200 + n % 3000,
                            22.5 + 0.0001 * n, 114.0 - 0.0001 * n, 1382515200 + n});
    }
    return t;
}

struct Pieces {
    std::vector<std::string> list;
    text::TextOut out{[this](std::string_view piece) { list.emplace_back(piece); }};

    std::string joined() const {
        std::string all;
        for (const std::string& piece : list)
            all += piece;
        return all;
    }
    std::size_t longest() const {
        std::size_t n = 0;
        for (const std::string& piece : list)
            n = std::max(n, piece.size());
        return n;
    }
};

// Longer than a chunk by at most one point's text.
constexpr std::size_t kPieceLimit = text::TextOut::kChunk + 512;

TEST(StreamedWriters, KmlPiecesMakeTheWholeDocument) {
    for (const std::size_t count : {0u, 1u, 140u, 3000u}) {
        const Track track = longTrack(count, "a <b> & \"c\"");
        Pieces pieces;
        writeTrackKml(pieces.out, track);
        EXPECT_EQ(pieces.joined(), trackKml(track)) << count << " points";
        EXPECT_LE(pieces.longest(), kPieceLimit);
        EXPECT_TRUE(pieces.out.text.empty());
    }
}

TEST(StreamedWriters, GpxPiecesMakeTheWholeDocumentForSeveralTracks) {
    const Track first = longTrack(2000);
    const Track empty = longTrack(0, "empty");
    const Track second = longTrack(1500, "second");
    const std::vector<const Track*> tracks = {&first, nullptr, &empty, &second};
    Pieces pieces;
    writeTracksGpx(pieces.out, tracks);
    EXPECT_EQ(pieces.joined(), tracksGpx(tracks));
    EXPECT_GT(pieces.list.size(), 5u);
    EXPECT_LE(pieces.longest(), kPieceLimit);
}

TEST(StreamedWriters, DataScriptPiecesMakeTheWholeScriptAndNothingForNoPoints) {
    Track track = longTrack(4000);
    track.unitFlag = 1;
    const TrackStyle style{0x123456, 2, 2};
    Pieces pieces;
    writeMapDataScript(pieces.out, track, style);
    EXPECT_EQ(pieces.joined(), mapDataScript(track, style));
    EXPECT_GT(pieces.list.size(), 2u);
    EXPECT_LE(pieces.longest(), kPieceLimit);

    Pieces none;
    writeMapDataScript(none.out, longTrack(0), style);
    EXPECT_TRUE(none.list.empty());
}

TEST(StreamedWriters, WithoutADrainTheWholeDocumentStaysInTheText) {
    const Track track = longTrack(3000);
    text::TextOut out;
    writeTrackKml(out, track);
    EXPECT_EQ(out.text, trackKml(track));
    EXPECT_GT(out.text.size(), 4 * text::TextOut::kChunk);
}

} // namespace
} // namespace tk
