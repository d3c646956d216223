// SPDX-License-Identifier: GPL-3.0-or-later
// The altitude and speed profile under the map: a uPlot chart of a track's rows, its time axis in
// the track's clock and each series' unit beside its axis in the series' colour. Dragging across
// it selects a stretch; a click clears the selection; hovering names a row. What happens is told
// to the page through the callbacks given to window.tkProfile.create.
(function () {
    'use strict';

    var tk = window.tkTrack;
    var ALTITUDE_COLOUR = '#8a5a14';
    var SPEED_COLOUR = '#1f6fd1';
    var NO_SELECTION = { left: 0, top: 0, width: 0, height: 0 };
    var CLICK_SLOP = 3; // pixels a press may move and still count as a click

    // element: where the chart goes, sized by the page's layout.
    // callbacks: drawn(points) once a new track's profile is painted, select(first, last) for a
    // dragged stretch, hover(index or null), click() for a click that did not drag.
    function create(element, callbacks) {
        var chart = null;
        var units = null;
        var pending = false;

        function drawn(u) {
            if (!pending)
                return;
            pending = false;
            callbacks.drawn(u.data[0].length);
        }

        function options(series) {
            return {
                width: element.clientWidth, height: element.clientHeight,
                legend: { show: false },
                // Dragging selects a stretch instead of zooming; a click clears it.
                cursor: { y: false, drag: { x: true, y: false, setScale: false } },
                scales: { x: { time: true }, alt: {}, spd: {} },
                tzDate: function (ts) { return uPlot.tzDate(new Date(ts * 1e3), 'UTC'); },
                series: [
                    {},
                    { label: 'Altitude', scale: 'alt', stroke: ALTITUDE_COLOUR, width: 1.5,
                      fill: 'rgba(138, 90, 20, 0.12)' },
                    { label: 'Speed', scale: 'spd', stroke: SPEED_COLOUR, width: 1 }
                ],
                axes: [
                    { values: function (u, splits, axis, space, incr) {
                        return splits.map(function (v) { return tk.clockText(v, incr < 60); });
                    } },
                    // Short unit labels in the colour of their series: the profile may be low.
                    { scale: 'alt', label: series.altitudeUnit, labelSize: 16, size: 44,
                      stroke: ALTITUDE_COLOUR },
                    { scale: 'spd', side: 1, label: series.speedUnit, labelSize: 16, size: 44,
                      stroke: SPEED_COLOUR, grid: { show: false } }
                ],
                hooks: {
                    ready: [drawn],
                    draw: [drawn],
                    setSelect: [function (u) {
                        if (u.select.width < 1)
                            return;
                        callbacks.select(u.posToIdx(u.select.left),
                            u.posToIdx(u.select.left + u.select.width));
                    }],
                    setCursor: [function (u) {
                        callbacks.hover(u.cursor.idx == null ? null : u.cursor.idx);
                    }]
                }
            };
        }

        // A press and release in the same place is a click; a drag is a selection.
        function listenForClicks() {
            var down = null;
            chart.over.addEventListener('mousedown', function (e) {
                down = [e.clientX, e.clientY];
            });
            chart.over.addEventListener('mouseup', function (e) {
                if (down && Math.abs(e.clientX - down[0]) < CLICK_SLOP &&
                    Math.abs(e.clientY - down[1]) < CLICK_SLOP)
                    callbacks.click();
                down = null;
            });
        }

        function remove() {
            if (chart)
                chart.destroy();
            chart = null;
            units = null;
        }

        // A chart in the same units takes the new track's data; other units need new axes.
        function draw(rows) {
            var series = tk.profileSeries(rows);
            var newUnits = series.altitudeUnit + ' ' + series.speedUnit;
            var data = [series.x, series.altitude, series.speed];
            pending = true;
            if (chart && units === newUnits) {
                chart.setSelect(NO_SELECTION, false);
                chart.setData(data);
                return chart;
            }
            remove();
            units = newUnits;
            chart = new uPlot(options(series), data, element);
            listenForClicks();
            return chart;
        }

        function clearSelection() {
            if (chart)
                chart.setSelect(NO_SELECTION, false);
        }

        window.addEventListener('resize', function () {
            if (chart)
                chart.setSize({ width: element.clientWidth, height: element.clientHeight });
        });

        return { draw: draw, remove: remove, clearSelection: clearSelection };
    }

    window.tkProfile = { create: create };
})();
