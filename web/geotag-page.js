// SPDX-License-Identifier: GPL-3.0-or-later
// The geotag dialog's map: the tracks as lines and the photos as markers. In the program the
// tracks, the photos and the marked photo come through window.tkDoor (the web channel), and a
// click on a marker goes back the same way; window.tkGeotag tells the program's tests what is
// drawn.
(function () {
    'use strict';

    var tk = window.tkTrack;
    var map = tk.createMap('map', { zoomSnap: 0.5 });
    var trackLayer = L.layerGroup().addTo(map);
    var photoLayer = L.layerGroup().addTo(map);
    var markers = {};
    var selected = null;
    var door = null;
    map.setView([0, 0], 1);
    map.on('mousemove', function (e) { tk.reportPosition(e.latlng.lat, e.latlng.lng); });

    function style(marker, on) {
        marker.setStyle(on ? { radius: 8, fillColor: '#f08c00', color: '#ffffff' }
                           : { radius: 6, fillColor: '#1f6fd1', color: '#ffffff' });
    }

    function fit() {
        var bounds = L.latLngBounds([]);
        trackLayer.eachLayer(function (l) { bounds.extend(l.getBounds()); });
        photoLayer.eachLayer(function (l) { bounds.extend(l.getLatLng()); });
        if (bounds.isValid())
            map.fitBounds(bounds, { padding: [24, 24], maxZoom: 17 });
    }

    var api = window.tkGeotag = {
        markerCount: 0,
        selected: null,
        // Each track a list of [latitude, longitude].
        setTracks: function (tracks) {
            trackLayer.clearLayers();
            tracks.forEach(function (points) {
                if (Array.isArray(points) && points.length > 0)
                    L.polyline(points, { color: '#d7263d', weight: 3, interactive: false }).addTo(trackLayer);
            });
            fit();
        },
        // Each photo {row, lat, lon, name}.
        setPhotos: function (photos) {
            photoLayer.clearLayers();
            markers = {};
            photos = photos.filter(function (p) {
                return p && isFinite(p.lat) && isFinite(p.lon);
            });
            photos.forEach(function (p) {
                var marker = L.circleMarker([p.lat, p.lon], {
                    weight: 2, opacity: 1, fillOpacity: 1
                });
                style(marker, p.row === selected);
                marker.bindTooltip(tk.textElement('span', p.name));
                marker.on('click', function () { api.clickMarker(p.row); });
                marker.addTo(photoLayer);
                markers[p.row] = marker;
            });
            api.markerCount = photos.length;
            fit();
        },
        clicks: 0,
        clickMarker: function (row) {
            api.clicks += 1;
            if (door)
                door.pickPhoto(row);
        },
        // Marks the photo's marker and shows its name and thumbnail (a data: URL) beside it.
        select: function (row, name, thumbnail) {
            if (selected !== null && markers[selected])
                style(markers[selected], false);
            selected = api.selected = row;
            var marker = markers[row];
            if (!marker)
                return;
            style(marker, true);
            var box = L.DomUtil.create('div', 'tk-photo');
            if (thumbnail) {
                var img = L.DomUtil.create('img', '', box);
                img.src = thumbnail;
            }
            box.appendChild(tk.textElement('span', name));
            marker.bindPopup(box).openPopup();
            if (!map.getBounds().contains(marker.getLatLng()))
                map.panTo(marker.getLatLng());
        }
    };
    function parsed(json) {
        try { return JSON.parse(json); } catch (e) { return null; }
    }
    function list(value) {
        return Array.isArray(value) ? value : [];
    }

    if (window.tkDoor) {
        window.tkDoor.onReady(function (channel) {
            door = channel;
            door.photoTracksChanged.connect(function (json) { api.setTracks(list(parsed(json))); });
            door.photosChanged.connect(function (json) { api.setPhotos(list(parsed(json))); });
            door.photoShown.connect(api.select);
            door.currentPhotoTracks(function (json) {
                api.setTracks(list(parsed(json)));
                door.currentPhotos(function (photos) {
                    api.setPhotos(list(parsed(photos)));
                    api.ready = true;
                });
            });
        });
    } else {
        api.ready = true;
    }
})();
