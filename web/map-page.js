// SPDX-License-Identifier: GPL-3.0-or-later
// The map view's page: the whole track at once, a marker playing it back, the summary table and
// the altitude and speed profile (the chart itself, profile-chart.js); the trip figures of the
// track or of the stretch selected on the profile, as the program works them out (the figure
// strip, figure-strip.js); the other checked tracks of the all-tracks view.
// In the program the page stays loaded: each track, view, caption and figure change reaches it
// through window.tkDoor (the web channel) and is drawn in place. Opened on its own it draws the
// track of data.js (window.line, locations, data) and the view of window.TK_VIEW.
// window.tkPage tells the program's tests what is drawn.
(function () {
    'use strict';

    var tk = window.tkTrack;
    var MAX_SPEED = 1024;
    var STRETCH_COLOUR = '#f08c00';
    var FIT_PADDING = { paddingTopLeft: [56, 24], paddingBottomRight: [24, 24] };
    var hoverIndex = null;
    var page = window.tkPage = {
        ready: false, lineVertices: 0, profilePoints: 0, lineDrawnMs: null, profileDrawnMs: null,
        playing: false, playIndex: 0, speed: 1, tracksShown: 0, rows: null,
        overviewLines: 0, overviewTracks: [], overviewDrawnMs: null, overviewViews: 0,
        figures: null, stretch: null
    };
    var line = {};
    var rows = null;
    var view = null;
    var drawn = []; // the layers and controls of the track on show
    var playMarker = null;
    var hover = null;
    var timer = null;
    var stretchLine = null;
    var map = tk.createMap('map', { zoomSnap: 0.5, preferCanvas: false });
    var pointText = document.getElementById('pointText');
    var playButton = document.getElementById('playButton');
    var speedText = document.getElementById('speedText');
    page.map = map;

    map.on('mousemove', function (e) { tk.reportPosition(e.latlng.lat, e.latlng.lng); });

    // Control captions in the program's interface language when it gives them.
    function caption(key) {
        var texts = window.TK_TEXTS;
        return texts && typeof texts[key] === 'string' && texts[key] ? texts[key] : key;
    }
    var figureStrip = window.tkFigureStrip(map, page, caption);

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

    function addSummary(data) {
        var control = L.control({ position: 'topright' });
        control.onAdd = function () {
            var panel = L.DomUtil.create('div', 'tk-panel');
            var table = L.DomUtil.create('table', 'tk-summary', panel);
            table.id = 'summary';
            tk.fillSummary(table, data);
            L.DomEvent.disableClickPropagation(panel);
            L.DomEvent.disableScrollPropagation(panel);
            return panel;
        };
        control.addTo(map);
        drawn.push(control);
        return control.getContainer().offsetWidth;
    }

    function drawLine(data) {
        var summaryWidth = addSummary(data);
        // Room for the zoom buttons at the top left, so no marker hides under them.
        FIT_PADDING.paddingBottomRight = [summaryWidth + 24, 24];
        var track = tk.drawTrack(map, rows, line, FIT_PADDING, page.breaks);
        drawn.push(track.polyline, track.start, track.end);
        page.trackLine = track.polyline;
        page.lineVertices = L.LineUtil.isFlat(track.polyline.getLatLngs())
            ? track.polyline.getLatLngs().length
            : track.polyline.getLatLngs().reduce(function (n, part) { return n + part.length; }, 0);
        page.lineParts = L.LineUtil.isFlat(track.polyline.getLatLngs())
            ? 1 : track.polyline.getLatLngs().length;
        page.lineDrawnMs = performance.now();
    }

    // ---- playback: line.speed points every line.refresh ms; at the end it stops, and Play -------
    // ---- starts over -----------------------------------------------------------------------------

    function refreshMs() {
        return Number(line.refresh) >= 10 ? Number(line.refresh) : 30;
    }

    function showState() {
        playButton.textContent = caption(page.playing ? 'Pause' : 'Play');
        speedText.textContent = page.speed + ' ' + caption(page.speed === 1 ? 'point' : 'points') +
            ' / ' + refreshMs() + ' ms';
    }

    function step() {
        var last = rows.length - 1;
        page.playIndex = Math.min(page.playIndex + page.speed, last);
        var latlng = L.latLng(rows[page.playIndex][0], rows[page.playIndex][1]);
        playMarker.setLatLng(latlng);
        if (hoverIndex === null)
            showPoint(page.playIndex);
        if (!map.getBounds().contains(latlng))
            map.panTo(latlng);
        if (page.playIndex >= last)
            pause();
    }

    function play() {
        if (!rows)
            return;
        window.clearInterval(timer);
        if (page.playIndex >= rows.length - 1)
            page.playIndex = 0;
        page.playing = true;
        timer = window.setInterval(step, refreshMs());
        showState();
    }

    function pause() {
        window.clearInterval(timer);
        timer = null;
        page.playing = false;
        showState();
    }

    // From the start, as the program's Play asks.
    function playFromStart() {
        if (!rows)
            return;
        page.playIndex = 0;
        playMarker.setLatLng([rows[0][0], rows[0][1]]);
        showPoint(0);
        play();
    }

    function setUpPlayback() {
        playMarker = pointMarker([rows[0][0], rows[0][1]], '#1f4fd1').addTo(map);
        drawn.push(playMarker);
        page.speed = Math.min(MAX_SPEED, Math.max(1, Math.floor(Number(line.speed)) || 1));
        page.playIndex = 0;
        showPoint(0);
        play();
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

    // The figures of what is selected now: the stretch, else the whole track.
    function askShownFigures() {
        if (!rows)
            return;
        if (page.stretch)
            figureStrip.ask(page.stretch.first, page.stretch.last);
        else
            figureStrip.ask(0, rows.length - 1);
    }

    // The stretch from row first to row last: drawn over the track and its figures shown.
    function selectStretch(first, last) {
        first = Math.max(0, Math.min(first, last));
        last = Math.min(rows.length - 1, Math.max(first, last));
        page.stretch = { first: first, last: last };
        var latlngs = [];
        for (var i = first; i <= last; ++i)
            latlngs.push([rows[i][0], rows[i][1]]);
        if (stretchLine)
            stretchLine.setLatLngs(latlngs);
        else
            stretchLine = L.polyline(latlngs, {
                color: STRETCH_COLOUR, weight: Math.max(4, tk.lineStyle(line).weight + 3),
                opacity: 0.9, interactive: false
            }).addTo(map);
        page.stretchVertices = latlngs.length;
        figureStrip.ask(first, last);
    }

    function removeStretch() {
        if (stretchLine)
            stretchLine.remove();
        stretchLine = null;
        page.stretch = null;
        page.stretchVertices = 0;
    }

    function clearStretch() {
        removeStretch();
        figureStrip.ask(0, rows.length - 1);
    }

    // ---- all tracks at once: the checked tracks, thinned, beside the clicked one in full ------

    var overviewLayers = [];

    function pickTrack(track) {
        page.pickedTrack = track;
        if (tk.fnIsOurCustomBrowser() && typeof window.external.CB_SelectTrack === 'function')
            window.external.CB_SelectTrack(track);
    }

    function overviewLine(t) {
        var style = tk.lineStyle({ color: t.color, weight: t.weight });
        style.interactive = true;
        var polyline = L.polyline(tk.pairs(t.points), style);
        polyline.on('click', function () { pickTrack(t.track); });
        polyline.bindTooltip(tk.textElement('span', t.name), { sticky: true });
        return polyline;
    }

    function setView(newView) {
        view = newView;
        var hadOverview = overviewLayers.length > 0;
        overviewLayers.forEach(function (layer) { layer.remove(); });
        overviewLayers = [];
        var tracks = tk.overviewTracks(view);
        var selected = view && rows ? view.selected : null;
        tracks.forEach(function (t) {
            if (t.track !== selected)
                overviewLayers.push(overviewLine(t).addTo(map));
        });
        page.overviewLines = overviewLayers.length;
        page.overviewTracks = tracks.map(function (t) { return t.track; });
        var box = tk.overviewBounds(tracks);
        if (box) {
            var bounds = L.latLngBounds(box);
            if (page.trackLine)
                bounds.extend(page.trackLine.getBounds());
            map.fitBounds(bounds, Object.assign({ animate: false }, FIT_PADDING));
        } else if (hadOverview && page.trackLine) {
            map.fitBounds(page.trackLine.getBounds(), Object.assign({ animate: false }, FIT_PADDING));
        }
        if (page.trackLine)
            page.trackLine.bringToFront();
        if (stretchLine)
            stretchLine.bringToFront();
        // Drawn once the frame that shows the lines has been painted.
        var views = ++page.overviewViews;
        requestAnimationFrame(function () {
            setTimeout(function () {
                if (views === page.overviewViews)
                    page.overviewDrawnMs = performance.now();
            }, 0);
        });
    }
    page.setView = setView;

    // ---- the profile: a hovered row is marked on the map and reported to the program; a drag ----
    // ---- selects a stretch ----------------------------------------------------------------------

    function hoverRow(i) {
        hoverIndex = i;
        if (i === null || !rows || !rows[i]) {
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
    }

    var profile = window.tkProfile.create(document.getElementById('profile'), {
        // The first drawing of a new track's profile stamps it.
        drawn: function (points) {
            page.profilePoints = points;
            page.profileDrawnMs = performance.now();
            markReady();
        },
        select: selectStretch,
        hover: hoverRow,
        click: function () {
            if (!page.stretch)
                return;
            profile.clearSelection();
            clearStretch();
        }
    });

    // ---- one track after another -----------------------------------------------------------------

    function removeProfile() {
        profile.remove();
        page.chart = null;
    }

    function clearTrack() {
        pause();
        drawn.forEach(function (layer) { layer.remove(); });
        drawn = [];
        removeStretch();
        if (hover)
            hover.remove();
        hover = null;
        hoverIndex = null;
        page.trackLine = null;
        page.figures = null;
        page.ready = false;
        page.lineDrawnMs = page.profileDrawnMs = null;
        page.lineVertices = page.profilePoints = 0;
    }

    // track: {line, locations, data} as data.js declares them; anything else shows no track.
    function showTrack(track) {
        page.trackArrivedMs = performance.now();
        clearTrack();
        track = track || {};
        line = typeof track.line === 'object' && track.line ? track.line : {};
        rows = page.rows = tk.trackRows(track.locations);
        page.breaks = Array.isArray(track.breaks) ? track.breaks : [];
        page.tracksShown += 1;
        if (!rows) {
            removeProfile();
            map.setView([0, 0], 1);
            pointText.textContent = '';
            page.lineDrawnMs = page.profileDrawnMs = performance.now();
            markReady();
            return;
        }
        // In the program the figures come a moment after the track: their strip takes its room
        // at once, so the map is fitted to the height it keeps.
        if (figureStrip.canAsk())
            figureStrip.showPlaceholder();
        drawLine(track.data);
        page.chart = profile.draw(rows);
        setUpPlayback();
        figureStrip.ask(0, rows.length - 1);
    }

    function relabel() {
        ['slowerButton', 'fasterButton'].forEach(function (id) {
            var button = document.getElementById(id);
            if (!button.dataset.key)
                button.dataset.key = button.textContent;
            button.textContent = caption(button.dataset.key);
        });
        showState();
        if (page.figures)
            figureStrip.show(page.figures);
    }
    window.tkRelabel = relabel;

    function parsed(json) {
        try { return JSON.parse(json); } catch (e) { return null; }
    }

    figureStrip.addSplits();
    relabel();
    if (window.tkDoor) {
        // In the program: what to show comes over the channel, now and at every change.
        window.tkDoor.onReady(function (door) {
            // A new track comes with its view right after it.
            door.trackChanged.connect(function (json) { showTrack(parsed(json)); });
            door.viewChanged.connect(function (json) { setView(parsed(json)); });
            door.playRequested.connect(playFromStart);
            door.figuresChanged.connect(askShownFigures);
            door.currentTrack(function (json) {
                showTrack(parsed(json));
                door.currentView(function (viewJson) { setView(parsed(viewJson)); });
            });
        });
        return;
    }
    showTrack({ line: window.line, locations: window.locations, data: window.data });
    setView(window.TK_VIEW);
})();
