// SPDX-License-Identifier: GPL-3.0-or-later
// The pure parts of the pages' shared script, as node runs them: reading the ready-made texts of
// data.js, the profile's time axis and the choice of tile server.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('node:path');

const tk = require(path.join(__dirname, '..', '..', 'web', 'track-page.js'));

const row = (time, altitude = '15 M', speed = '36 KPH') => [22.5, 114.0, altitude, speed, time];

test('profile reads signed altitudes, speeds and their units from the texts', () => {
    const s = tk.profileSeries([row('08:00:00', '-4 F', '10 MPH'), row('08:00:05', '100 F', '0 MPH')]);
    assert.deepStrictEqual(s.altitude, [-4, 100]);
    assert.deepStrictEqual(s.speed, [10, 0]);
    assert.strictEqual(s.altitudeUnit, 'F');
    assert.strictEqual(s.speedUnit, 'MPH');
    assert.deepStrictEqual(s.x, [28800, 28805]);
});

test('a track past midnight keeps its time axis growing', () => {
    const s = tk.profileSeries([row('23:59:58'), row('23:59:59'), row('00:00:00'), row('00:00:04')]);
    assert.deepStrictEqual(s.x, [86398, 86399, 86400, 86404]);
    assert.strictEqual(tk.clockText(s.x[2], true), '00:00:00');
    assert.strictEqual(tk.clockText(s.x[3], false), '00:00');
});

test('a garbled time repeats the previous one instead of breaking the axis', () => {
    const s = tk.profileSeries([row('10:00:00'), row('junk'), row('10:00:02')]);
    assert.deepStrictEqual(s.x, [36000, 36000, 36002]);
    assert.ok(Number.isNaN(tk.clockSeconds('10:00')));
});

test('tile settings fall back to the standard tiles and a sane zoom', () => {
    assert.strictEqual(tk.tileSettings(undefined).url, 'https://tile.openstreetmap.org/{z}/{x}/{y}.png');
    assert.strictEqual(tk.tileSettings({ url: '' }).maxZoom, 19);
    assert.match(tk.tileSettings(null).attribution, /OpenStreetMap<\/a> contributors/);
    const own = tk.tileSettings({ url: 'http://localhost/{z}/{x}/{y}.png', maxZoom: '17' });
    assert.deepStrictEqual(own, { url: 'http://localhost/{z}/{x}/{y}.png', attribution: '', maxZoom: 17 });
    assert.strictEqual(tk.tileSettings({ url: 'x/{z}', maxZoom: 400 }).maxZoom, 19);
});

test('an offline map keeps its zoom levels and area for the tile layer', () => {
    const offline = tk.tileSettings({
        url: 'tktile:offline/1/{z}/{x}/{y}', attribution: 'Mine', maxZoom: 19,
        minNativeZoom: 3, maxNativeZoom: 14, bounds: [[46, 7.25], [47.125, 8.5]]
    });
    assert.deepStrictEqual(offline, {
        url: 'tktile:offline/1/{z}/{x}/{y}', attribution: 'Mine', maxZoom: 19,
        maxNativeZoom: 14, minNativeZoom: 3, bounds: [[46, 7.25], [47.125, 8.5]]
    });
    assert.deepStrictEqual(tk.tileLayerOptions(offline), {
        maxZoom: 19, attribution: 'Mine', minNativeZoom: 3, maxNativeZoom: 14,
        bounds: [[46, 7.25], [47.125, 8.5]]
    });
    // Nonsense is left out rather than handed to Leaflet.
    const odd = tk.tileSettings({ url: 'x', maxNativeZoom: 30, minNativeZoom: 2, bounds: [[5, 1], [4, 2]] });
    assert.deepStrictEqual(odd, { url: 'x', attribution: '', maxZoom: 19 });
    const shallow = tk.tileSettings({ url: 'x', maxZoom: 12, maxNativeZoom: 16, minNativeZoom: 20 });
    assert.strictEqual(shallow.maxNativeZoom, 12);
    assert.strictEqual(shallow.minNativeZoom, 12);
    assert.deepStrictEqual(tk.tileLayerOptions(tk.tileSettings(null)).maxZoom, 19);
});

test('line style keeps valid colours and weights only', () => {
    assert.deepStrictEqual(tk.lineStyle({ color: '#996633', weight: 3 }),
        { color: '#996633', weight: 3, opacity: 1 });
    assert.strictEqual(tk.lineStyle({ color: 'red;x', weight: 0 }).color, '#ff0000');
    assert.strictEqual(tk.lineStyle(undefined).weight, 2);
});

test('rows without coordinates are refused', () => {
    assert.strictEqual(tk.trackRows(undefined), null);
    assert.strictEqual(tk.trackRows([]), null);
    assert.strictEqual(tk.trackRows([[1, 'x']]), null);
    assert.strictEqual(tk.coordText(-33.8650001), '-33.865000');
});

test('the all-tracks view keeps drawable tracks only and bounds them all', () => {
    const good = (track, bounds) => ({ track, color: '#00ff00', weight: 2, bounds, points: [1, 2, 3, 4] });
    const view = {
        tracks: [good(0, [1, 2, 3, 4]), { track: 1, points: [1, 2, 3] }, null,
            { track: 2, points: [1, 'x'], bounds: [0, 0, 0, 0] }, good(3, [-5, 10, 2, 12])]
    };
    const tracks = tk.overviewTracks(view);
    assert.deepStrictEqual(tracks.map((t) => t.track), [0, 3]);
    assert.deepStrictEqual(tk.overviewBounds(tracks), [[-5, 2], [3, 12]]);
    assert.strictEqual(tk.overviewBounds([]), null);
    assert.deepStrictEqual(tk.overviewTracks(undefined), []);
    assert.deepStrictEqual(tk.pairs([1, 2, 3, 4]), [[1, 2], [3, 4]]);
});

test('split rows give each unit its own time and the time since the start', () => {
    assert.deepStrictEqual(tk.splitRows([299.6, 610, 3725]), [
        [1, '0:05:00', '0:05:00'], [2, '0:05:10', '0:10:10'], [3, '0:51:55', '1:02:05']]);
    assert.deepStrictEqual(tk.splitRows(undefined), []);
    assert.strictEqual(tk.hoursText(90061), '25:01:01');
});
