// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the map page and the print page: reads the track that data.js declares (size, line,
// locations, data), draws it with Leaflet and talks to the program through window.external.
// Everything taken from data.js is shown with textContent: a track name may hold markup.
(function (root) {
    'use strict';

    var OSM_TILES = {
        url: 'https://tile.openstreetmap.org/{z}/{x}/{y}.png',
        attribution:
            '&copy; <a href="https://www.openstreetmap.org/copyright">OpenStreetMap</a> contributors',
        maxZoom: 19
    };
    var DAY = 86400;

    function zoomLevel(value, lowest, fallback) {
        var zoom = Number(value);
        return zoom >= lowest && zoom <= 24 ? Math.floor(zoom) : fallback;
    }

    // [[south, west], [north, east]] in degrees, or null.
    function boundsOf(b) {
        if (!Array.isArray(b) || b.length !== 2 || !Array.isArray(b[0]) || !Array.isArray(b[1]))
            return null;
        var s = Number(b[0][0]), w = Number(b[0][1]), n = Number(b[1][0]), e = Number(b[1][1]);
        if (![s, w, n, e].every(isFinite) || s >= n || w >= e || s < -90 || n > 90)
            return null;
        return [[s, w], [n, e]];
    }

    // The tiles the program injected as TK_TILES, else OpenStreetMap's standard tiles. An offline
    // map also names the zoom levels its file holds (minNativeZoom, maxNativeZoom: Leaflet scales
    // the nearest ones beyond them) and the area it covers (bounds: no tile is asked for outside).
    function tileSettings(tiles) {
        if (!tiles || typeof tiles.url !== 'string' || tiles.url === '')
            return { url: OSM_TILES.url, attribution: OSM_TILES.attribution, maxZoom: 19 };
        var settings = {
            url: tiles.url,
            attribution: typeof tiles.attribution === 'string' ? tiles.attribution : '',
            maxZoom: zoomLevel(tiles.maxZoom, 1, 19)
        };
        var deepest = zoomLevel(tiles.maxNativeZoom, 0, null);
        if (deepest !== null) {
            settings.maxNativeZoom = Math.min(deepest, settings.maxZoom);
            var shallowest = zoomLevel(tiles.minNativeZoom, 0, null);
            if (shallowest !== null)
                settings.minNativeZoom = Math.min(shallowest, settings.maxNativeZoom);
        }
        var bounds = boundsOf(tiles.bounds);
        if (bounds)
            settings.bounds = bounds;
        return settings;
    }

    // Leaflet's options for a tile layer of these settings.
    function tileLayerOptions(settings) {
        var options = { maxZoom: settings.maxZoom, attribution: settings.attribution };
        ['minNativeZoom', 'maxNativeZoom', 'bounds'].forEach(function (key) {
            if (settings[key] !== undefined)
                options[key] = settings[key];
        });
        return options;
    }

    // "hh:mm:ss" to seconds since midnight; NaN for anything else.
    function clockSeconds(text) {
        var m = /^(\d{1,2}):(\d{2}):(\d{2})$/.exec(String(text));
        return m ? Number(m[1]) * 3600 + Number(m[2]) * 60 + Number(m[3]) : NaN;
    }

    function clockText(seconds, withSeconds) {
        var s = ((Math.floor(seconds) % DAY) + DAY) % DAY;
        var two = function (v) { return (v < 10 ? '0' : '') + v; };
        var text = two(Math.floor(s / 3600)) + ':' + two(Math.floor(s / 60) % 60);
        return withSeconds ? text + ':' + two(s % 60) : text;
    }

    // The number and the unit of a ready-made text such as "-4 F" or "36 KPH".
    function valueOf(text) {
        var v = parseInt(text, 10);
        return isNaN(v) ? null : v;
    }

    function unitOf(text) {
        var m = /^\s*-?\d+\s+(\S+)\s*$/.exec(String(text));
        return m ? m[1] : '';
    }

    // The rows of locations that can be drawn, or null when data.js declared none.
    function trackRows(locations) {
        if (!Array.isArray(locations) || locations.length === 0)
            return null;
        for (var i = 0; i < locations.length; ++i) {
            var r = locations[i];
            if (!Array.isArray(r) || !isFinite(r[0]) || !isFinite(r[1]))
                return null;
        }
        return locations;
    }

    // Altitude and speed against time. The x values are seconds of day 0; each time the clock goes
    // back (past midnight) the following points move a day on, so x never decreases.
    function profileSeries(rows) {
        var n = rows.length;
        var x = new Array(n), altitude = new Array(n), speed = new Array(n);
        var day = 0, last = 0;
        for (var i = 0; i < n; ++i) {
            var t = clockSeconds(rows[i][4]);
            if (isNaN(t)) {
                t = last;
            } else {
                while (t + day < last)
                    day += DAY;
                t += day;
            }
            x[i] = last = t;
            altitude[i] = valueOf(rows[i][2]);
            speed[i] = valueOf(rows[i][3]);
        }
        var first = rows[0] || [];
        return {
            x: x, altitude: altitude, speed: speed,
            altitudeUnit: unitOf(first[2]), speedUnit: unitOf(first[3])
        };
    }

    function lineStyle(line) {
        line = line || {};
        var color = /^#[0-9a-fA-F]{6}$/.test(line.color) ? line.color : '#ff0000';
        var weight = Number(line.weight);
        return { color: color, weight: weight >= 1 && weight <= 20 ? weight : 2, opacity: 1 };
    }

    function coordText(value) {
        return Number(value).toFixed(6);
    }

    // window.external may be a plain browser's object without the program's functions, and the
    // program may install them after the page has loaded: ask on every call.
    function fnIsOurCustomBrowser() {
        var ext = root.external;
        return ext != null && ext.CB_IsOurCustomBrowser != null;
    }

    function reportPosition(latitude, longitude) {
        if (!fnIsOurCustomBrowser() || root.external.CB_CustomFunctionWithParams == null)
            return;
        root.external.CB_CustomFunctionWithParams(coordText(latitude), coordText(longitude));
    }

    var maps = [];

    function addTiles(map, tiles) {
        map.tkTiles = root.L.tileLayer(tiles.url, tileLayerOptions(tiles)).addTo(map);
    }

    function createMap(element, options) {
        var map = root.L.map(element, options);
        map.attributionControl.setPrefix(false);
        addTiles(map, tileSettings(root.TK_TILES));
        maps.push(map);
        return map;
    }

    // The program switched maps (online, offline): every map of the page shows the new tiles in
    // place of the old, the view staying where it is.
    function setTiles(tiles) {
        var settings = tileSettings(tiles);
        maps.forEach(function (map) {
            if (map.tkTiles)
                map.removeLayer(map.tkTiles);
            addTiles(map, settings);
            if (map.getZoom() > settings.maxZoom)
                map.setZoom(settings.maxZoom);
        });
        return settings;
    }

    function textElement(tag, text, className) {
        var el = root.document.createElement(tag);
        el.textContent = text == null ? '' : String(text);
        if (className)
            el.className = className;
        return el;
    }

    function segmentsOf(latlngs, breaks) {
        if (!Array.isArray(breaks) || breaks.length === 0)
            return latlngs;
        var parts = [];
        var from = 0;
        for (var i = 0; i < breaks.length; ++i) {
            var to = Math.min(Math.max(+breaks[i], from), latlngs.length);
            if (to > from)
                parts.push(latlngs.slice(from, to));
            from = to;
        }
        parts.push(latlngs.slice(from));
        return parts;
    }

    function endMarker(latlng, fill, caption) {
        return root.L.circleMarker(latlng, {
            radius: 7, color: '#ffffff', weight: 2, opacity: 1, fillColor: fill, fillOpacity: 1
        }).bindTooltip(textElement('span', caption));
    }

    // The whole track as one polyline with start and end markers, the view fitted to it. The
    // points become LatLngs once and the bounds are found in the same pass; the view is set before
    // the layers are added so the line is projected once.
    // breaks, when given, are the rows at which a new segment begins: the line is lifted there.
    function drawTrack(map, rows, line, fitOptions, breaks) {
        var L = root.L;
        var n = rows.length;
        var latlngs = new Array(n);
        var south = Infinity, west = Infinity, north = -Infinity, east = -Infinity;
        for (var i = 0; i < n; ++i) {
            var lat = +rows[i][0], lng = +rows[i][1];
            latlngs[i] = new L.LatLng(lat, lng);
            if (lat < south) south = lat;
            if (lat > north) north = lat;
            if (lng < west) west = lng;
            if (lng > east) east = lng;
        }
        map.fitBounds(L.latLngBounds([south, west], [north, east]), fitOptions);
        var style = lineStyle(line);
        style.interactive = false;
        var polyline = L.polyline(segmentsOf(latlngs, breaks), style).addTo(map);
        var start = endMarker(latlngs[0], '#2e9e44', 'Start').addTo(map);
        var end = endMarker(latlngs[n - 1], '#d7263d', 'End').addTo(map);
        return { polyline: polyline, start: start, end: end };
    }

    // The summary table of data.js: six rows of a label and a value.
    function fillSummary(table, data) {
        if (!Array.isArray(data))
            return;
        data.forEach(function (row) {
            if (!Array.isArray(row))
                return;
            var tr = root.document.createElement('tr');
            tr.appendChild(textElement('th', row[0]));
            tr.appendChild(textElement('td', row[1]));
            table.appendChild(tr);
        });
    }

    function summaryValue(data, index) {
        return Array.isArray(data) && Array.isArray(data[index]) ? String(data[index][1]) : '';
    }

    // The all-tracks view's tracks that can be drawn: a colour, a weight, four finite bounds and
    // an even run of finite coordinates.
    function overviewTracks(view) {
        if (!view || !Array.isArray(view.tracks))
            return [];
        return view.tracks.filter(function (t) {
            return t && Array.isArray(t.points) && t.points.length >= 2 &&
                t.points.length % 2 === 0 && t.points.every(isFinite) &&
                Array.isArray(t.bounds) && t.bounds.length === 4 && t.bounds.every(isFinite);
        });
    }

    // [[south, west], [north, east]] around every track's bounds, or null for none.
    function overviewBounds(tracks) {
        if (tracks.length === 0)
            return null;
        var s = Infinity, w = Infinity, n = -Infinity, e = -Infinity;
        tracks.forEach(function (t) {
            s = Math.min(s, +t.bounds[0]);
            w = Math.min(w, +t.bounds[1]);
            n = Math.max(n, +t.bounds[2]);
            e = Math.max(e, +t.bounds[3]);
        });
        return [[s, w], [n, e]];
    }

    // Flat [lat, lon, lat, lon, ...] as [[lat, lon], ...].
    function pairs(flat) {
        var out = new Array(flat.length / 2);
        for (var i = 0; i < out.length; ++i)
            out[i] = [+flat[2 * i], +flat[2 * i + 1]];
        return out;
    }

    // "h:mm:ss" of a number of seconds.
    function hoursText(seconds) {
        var s = Math.max(0, Math.round(Number(seconds) || 0));
        var two = function (v) { return (v < 10 ? '0' : '') + v; };
        return Math.floor(s / 3600) + ':' + two(Math.floor(s / 60) % 60) + ':' + two(s % 60);
    }

    // The split table's rows from the seconds at which each whole unit was reached: the unit's
    // number, the time it took and the time since the start.
    function splitRows(splits) {
        if (!Array.isArray(splits))
            return [];
        return splits.map(function (at, i) {
            var before = i === 0 ? 0 : splits[i - 1];
            return [i + 1, hoursText(at - before), hoursText(at)];
        });
    }

    var api = {
        OSM_TILES: OSM_TILES,
        tileSettings: tileSettings,
        tileLayerOptions: tileLayerOptions,
        setTiles: setTiles,
        clockSeconds: clockSeconds,
        clockText: clockText,
        valueOf: valueOf,
        unitOf: unitOf,
        trackRows: trackRows,
        profileSeries: profileSeries,
        lineStyle: lineStyle,
        coordText: coordText,
        fnIsOurCustomBrowser: fnIsOurCustomBrowser,
        reportPosition: reportPosition,
        createMap: createMap,
        textElement: textElement,
        drawTrack: drawTrack,
        fillSummary: fillSummary,
        summaryValue: summaryValue,
        overviewTracks: overviewTracks,
        overviewBounds: overviewBounds,
        pairs: pairs,
        hoursText: hoursText,
        splitRows: splitRows
    };
    if (typeof module !== 'undefined' && module.exports) {
        module.exports = api;
    } else {
        root.tkTrack = api;
        root.fnIsOurCustomBrowser = fnIsOurCustomBrowser;
        root.tkSetTiles = setTiles;
    }
})(typeof window !== 'undefined' ? window : globalThis);
