// SPDX-License-Identifier: GPL-3.0-or-later
// The print page: the whole track on a still map with its summary, laid out for one A4 landscape
// sheet. Once the track is drawn and the visible tiles have either loaded or failed (or after a
// few seconds at most) window.tkPage.ready turns true and the page tells the program through the
// door, so a print shows what the preview shows.
(function () {
    'use strict';

    var tk = window.tkTrack;
    var TILE_WAIT_MS = 3000;
    var page = window.tkPage = { ready: false, lineVertices: 0, lineDrawnMs: null, tilesSettled: false };
    var sheet = document.getElementById('sheet');
    var rows = tk.trackRows(window.locations);

    // On screen the sheet keeps its paper size and is scaled down to fit the window.
    function fitSheet() {
        var gap = 8;
        var scale = Math.min((window.innerWidth - 2 * gap) / sheet.offsetWidth,
            (window.innerHeight - 2 * gap) / sheet.offsetHeight, 1);
        scale = Math.max(scale, 0.1);
        var left = Math.max(gap, (window.innerWidth - sheet.offsetWidth * scale) / 2);
        sheet.style.transform = 'translate(' + left + 'px, ' + gap + 'px) scale(' + scale + ')';
    }
    fitSheet();
    window.addEventListener('resize', fitSheet);

    var map = tk.createMap('map', {
        zoomSnap: 0.25, zoomControl: false, dragging: false, scrollWheelZoom: false,
        doubleClickZoom: false, boxZoom: false, keyboard: false, touchZoom: false
    });
    page.map = map;
    var tiles = null;
    map.eachLayer(function (layer) { if (layer instanceof L.TileLayer) tiles = layer; });

    function settle() {
        page.tilesSettled = true;
        if (page.ready || page.lineDrawnMs === null)
            return;
        page.ready = true;
        if (window.tkDoor)
            window.tkDoor.onReady(function (door) { door.reportSheetDrawn(); });
    }

    document.getElementById('title').textContent = tk.summaryValue(window.data, 0);
    tk.fillSummary(document.getElementById('summary'), window.data);
    document.getElementById('legendLine').style.background = tk.lineStyle(window.line).color;

    if (rows) {
        var drawn = tk.drawTrack(map, rows, window.line, { padding: [16, 16] });
        page.lineVertices = drawn.polyline.getLatLngs().length;
    } else {
        map.setView([0, 0], 1);
    }
    page.lineDrawnMs = performance.now();
    if (tiles && tiles.isLoading())
        tiles.once('load', settle);
    else
        settle();
    window.setTimeout(settle, TILE_WAIT_MS);
})();
