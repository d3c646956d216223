// SPDX-License-Identifier: GPL-3.0-or-later
// The GPS tag values written: fine enough for a centimetre, the UTC stamp to the millisecond.
#include "photos/GpsTags.h"
#include "tracks/CivilTime.h"

#include <gtest/gtest.h>

namespace tk::photos {
namespace {

double fromDms(const std::array<Rational, 3>& r) {
    return r[0].numerator / double(r[0].denominator) +
           r[1].numerator / double(r[1].denominator) / 60 +
           r[2].numerator / double(r[2].denominator) / 3600;
}

TEST(GpsTags, DegreesMinutesSecondsKeepACentimetre) {
    for (const double v : {0.0, 47.36890866666, 179.99999999, 8.5617050, 0.0000001, 89.123456789}) {
        const auto dms = dmsRationals(v);
        EXPECT_EQ(dms[0].denominator, 1u);
        EXPECT_EQ(dms[1].denominator, 1u);
        EXPECT_LT(dms[1].numerator, 60u);
        EXPECT_LT(dms[2].numerator, 60u * 1000000u);
        // 1 cm is about 9e-8 degrees; the rationals are within 1.4e-10.
        EXPECT_NEAR(fromDms(dms), v, 2e-10) << v;
    }
    // Seconds that round up to 60 carry into the minutes and degrees.
    const auto carry = dmsRationals(10.0 - 1e-12);
    EXPECT_EQ(carry[0].numerator, 10u);
    EXPECT_EQ(carry[1].numerator, 0u);
    EXPECT_EQ(carry[2].numerator, 0u);
}

TEST(GpsTags, ExifTextsForBothHemispheresAndBelowSeaLevel) {
    const double utc = static_cast<double>(utcSeconds(2024, 7, 1, 23, 59, 58)) + 0.125;
    const ExifGpsTexts t = exifGpsTexts({-33.9, -70.5, -12.3456, 19.839}, utc);
    EXPECT_EQ(t.latitudeRef, "S");
    EXPECT_EQ(t.longitudeRef, "W");
    EXPECT_EQ(t.latitude, "33/1 54/1 0/1000000");
    EXPECT_EQ(t.longitude, "70/1 30/1 0/1000000");
    EXPECT_EQ(t.altitudeRef, "1");
    EXPECT_EQ(t.altitude, "12346/1000");
    EXPECT_EQ(t.timeStamp, "23/1 59/1 58125/1000");
    EXPECT_EQ(t.dateStamp, "2024:07:01");
    EXPECT_EQ(t.speed, "19839/1000");
    EXPECT_EQ(t.versionId, "2 3 0 0");
    EXPECT_EQ(t.mapDatum, "WGS-84");
    EXPECT_EQ(t.speedRef, "K");
    const ExifGpsTexts n = exifGpsTexts({47.5, 8.25, 400, 0}, utc);
    EXPECT_EQ(n.latitudeRef, "N");
    EXPECT_EQ(n.longitudeRef, "E");
    EXPECT_EQ(n.altitudeRef, "0");
}

TEST(GpsTags, TheStampAtMidnightTakesTheNewDay) {
    const double utc = static_cast<double>(utcSeconds(2024, 12, 31, 23, 59, 59)) + 0.9997;
    const ExifGpsTexts t = exifGpsTexts({0, 0, 0, 0}, utc);
    EXPECT_EQ(t.dateStamp, "2025:01:01");
    EXPECT_EQ(t.timeStamp, "0/1 0/1 0/1000");
}

TEST(GpsTags, XmpTexts) {
    const double utc = static_cast<double>(utcSeconds(2024, 7, 1, 10, 0, 5)) + 0.25;
    const XmpGpsTexts t = xmpGpsTexts({47.36890866666, -8.5, -2, 3.5}, utc);
    EXPECT_EQ(t.latitude, "47,22.13452000N");
    EXPECT_EQ(t.longitude, "8,30.00000000W");
    EXPECT_EQ(t.altitudeRef, "1");
    EXPECT_EQ(t.altitude, "2000/1000");
    EXPECT_EQ(t.timeStamp, "2024-07-01T10:00:05.250Z");
    EXPECT_NEAR(*degreesFromXmp(t.latitude), 47.36890866666, 2e-10);
    EXPECT_DOUBLE_EQ(*degreesFromXmp(t.longitude), -8.5);
    EXPECT_DOUBLE_EQ(*degreesFromXmp("10,30,36S"), -10.51);
    EXPECT_FALSE(degreesFromXmp("10.5"));
    EXPECT_FALSE(degreesFromXmp("10,30X"));
}

TEST(GpsTags, CoordinatesFromRationals) {
    EXPECT_DOUBLE_EQ(*degreesFromRationals({{{10, 1}, {30, 1}, {36, 1}}}, 'S', 'S', 'N'), -10.51);
    EXPECT_FALSE(degreesFromRationals({{{10, 1}, {30, 0}, {36, 1}}}, 'N', 'S', 'N'));
    EXPECT_FALSE(degreesFromRationals({{{10, 1}, {30, 1}, {36, 1}}}, 'X', 'S', 'N'));
}

} // namespace
} // namespace tk::photos
