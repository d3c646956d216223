#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""An independent reading of a GPX file for the tests: per track with points, one line
"POINTS FIRST_MS LAST_MS LENGTH_M", times in milliseconds since the epoch (empty time: 0),
length summed within segments (haversine, R = 6378137 m)."""
import math
import sys
import xml.etree.ElementTree as ET
from datetime import datetime, timezone

R = 6378137.0


def local(tag):
    return tag.rsplit('}', 1)[-1]


def children(element, name):
    return [c for c in element if local(c.tag) == name]


def millis(point):
    for c in children(point, 'time'):
        text = c.text.strip()
        if text.endswith('Z'):
            text = text[:-1] + '+00:00'
        moment = datetime.fromisoformat(text)
        if moment.tzinfo is None:
            moment = moment.replace(tzinfo=timezone.utc)
        delta = moment - datetime(1970, 1, 1, tzinfo=timezone.utc)
        return (delta.days * 86400 + delta.seconds) * 1000 + delta.microseconds // 1000
    return 0


def haversine(a, b):
    lat1, lon1 = math.radians(a[0]), math.radians(a[1])
    lat2, lon2 = math.radians(b[0]), math.radians(b[1])
    h = math.sin((lat2 - lat1) / 2) ** 2 + \
        math.cos(lat1) * math.cos(lat2) * math.sin((lon2 - lon1) / 2) ** 2
    return 2 * R * math.asin(math.sqrt(min(max(h, 0.0), 1.0)))


def main(path):
    root = ET.parse(path).getroot()
    for track in children(root, 'trk'):
        count, first, last, length = 0, None, None, 0.0
        for segment in children(track, 'trkseg'):
            before = None
            for point in children(segment, 'trkpt'):
                here = (float(point.get('lat')), float(point.get('lon')))
                if before is not None:
                    length += haversine(before, here)
                before = here
                count += 1
                t = millis(point)
                first = t if first is None else first
                last = t
        if count:
            print(count, first, last, repr(length))


if __name__ == '__main__':
    main(sys.argv[1])
