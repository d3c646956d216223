// The map view's page: the whole track at once, a marker playing it back, the summary table and
// the altitude and speed profile; window.tkPage tells the program's tests what is drawn.
(function () {
    'use strict';

    var tk = window.tkTrack;
    var MAX_SPEED = 1024;
    var ALTITUDE_COLOUR = '#8a5a14';
    var SPEED_COLOUR = '#1f6fd1';
    var hoverIndex = null;
    var page = window.tkPage = {
        ready: false, lineVertices: 0, profilePoints: 0, lineDrawnMs: null, profileDrawnMs: null,
        playing: false, playIndex: 0, speed: 1
    };
    var line = typeof window.line === 'object' && window.line ? window.line : {};
    var rows = tk.trackRows(window.locations);
    var map = tk.createMap('map', { zoomSnap: 0.5, preferCanvas: false });
    var pointText = document.getElementById('pointText');
    page.map = map;

    map.on('mousemove', function (e) { tk.reportPosition(e.latlng.lat, e.latlng.lng); });

    function markReady() {
        page.ready = page.lineDrawnMs !== null && page.profileDrawnMs !== null;
    }

    function showPoint(index) {
        var r = rows[index];
        pointText.textContent = [r[4], r[2], r[3]].join('   ');
    }

    function pointMarker(latlng, fill) {
        return L.circleMarker(latlng, {
            radius: 6, color: '#ffffff', weight: 2, opacity: 1, fillColor: fill, fillOpacity: 1,
            interactive: false
        });
    }

    function addSummary() {
        var control = L.control({ position: 'topright' });
        control.onAdd = function () {
            var panel = L.DomUtil.create('div', 'tk-panel');
            var table = L.DomUtil.create('table', 'tk-summary', panel);
            table.id = 'summary';
            tk.fillSummary(table, window.data);
            L.DomEvent.disableClickPropagation(panel);
            L.DomEvent.disableScrollPropagation(panel);
            return panel;
        };
        control.addTo(map);
        return control.getContainer().offsetWidth;
    }

    function drawLine() {
        var summaryWidth = addSummary();
        var drawn = tk.drawTrack(map, rows, line, {
            // Room for the zoom buttons at the top left, so no marker hides under them.
            paddingTopLeft: [56, 24], paddingBottomRight: [summaryWidth + 24, 24]
        });
        page.lineVertices = drawn.polyline.getLatLngs().length;
        page.lineDrawnMs = performance.now();
    }

    // Playback: line.speed points every line.refresh ms; at the end it stops, and Play starts over.
    // Control captions in the program's interface language when it gives them.
    function caption(key) {
        var texts = window.TK_TEXTS;
        return texts && typeof texts[key] === 'string' && texts[key] ? texts[key] : key;
    }

    function setUpPlayback() {
        ['slowerButton', 'fasterButton'].forEach(function (id) {
            var button = document.getElementById(id);
            button.textContent = caption(button.textContent);
        });
        var refresh = Number(line.refresh) >= 10 ? Number(line.refresh) : 30;
        var last = rows.length - 1;
        var marker = pointMarker([rows[0][0], rows[0][1]], '#1f4fd1').addTo(map);
        var timer = null;
        var playButton = document.getElementById('playButton');
        var speedText = document.getElementById('speedText');
        page.speed = Math.min(MAX_SPEED, Math.max(1, Math.floor(Number(line.speed)) || 1));

        function showState() {
            playButton.textContent = caption(page.playing ? 'Pause' : 'Play');
            speedText.textContent = page.speed + ' ' + caption(page.speed === 1 ? 'point' : 'points') +
                ' / ' + refresh + ' ms';
        }
        function step() {
            page.playIndex = Math.min(page.playIndex + page.speed, last);
            var latlng = L.latLng(rows[page.playIndex][0], rows[page.playIndex][1]);
            marker.setLatLng(latlng);
            if (hoverIndex === null)
                showPoint(page.playIndex);
            if (!map.getBounds().contains(latlng))
                map.panTo(latlng);
            if (page.playIndex >= last)
                pause();
        }
        function play() {
            if (page.playIndex >= last)
                page.playIndex = 0;
            page.playing = true;
            timer = window.setInterval(step, refresh);
            showState();
        }
        function pause() {
            window.clearInterval(timer);
            timer = null;
            page.playing = false;
            showState();
        }
        playButton.addEventListener('click', function () { page.playing ? pause() : play(); });
        document.getElementById('fasterButton').addEventListener('click', function () {
            page.speed = Math.min(MAX_SPEED, page.speed * 2);
            showState();
        });
        document.getElementById('slowerButton').addEventListener('click', function () {
            page.speed = Math.max(1, Math.floor(page.speed / 2));
            showState();
        });
        showPoint(0);
        play();
    }

    function profileOptions(series, element) {
        var hover = null;
        return {
            width: element.clientWidth, height: element.clientHeight,
            legend: { show: false },
            cursor: { y: false, drag: { x: true, y: false } },
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
                ready: [function (u) {
                    page.profilePoints = u.data[0].length;
                    page.profileDrawnMs = performance.now();
                    markReady();
                }],
                // Hovering the profile marks that point on the map and reports it to the program.
                setCursor: [function (u) {
                    var i = hoverIndex = u.cursor.idx == null ? null : u.cursor.idx;
                    if (i === null) {
                        if (hover) hover.remove();
                        hover = null;
                        return;
                    }
                    var latlng = [rows[i][0], rows[i][1]];
                    if (!hover)
                        hover = pointMarker(latlng, '#f08c00').addTo(map);
                    hover.setLatLng(latlng);
                    showPoint(i);
                    tk.reportPosition(rows[i][0], rows[i][1]);
                }]
            }
        };
    }

    function drawProfile() {
        var element = document.getElementById('profile');
        var series = tk.profileSeries(rows);
        var chart = new uPlot(profileOptions(series, element),
            [series.x, series.altitude, series.speed], element);
        window.addEventListener('resize', function () {
            chart.setSize({ width: element.clientWidth, height: element.clientHeight });
        });
        page.chart = chart;
    }

    if (!rows) {
        map.setView([0, 0], 1);
        page.lineDrawnMs = page.profileDrawnMs = performance.now();
        markReady();
        return;
    }
    drawLine();
    drawProfile();
    setUpPlayback();
})();
