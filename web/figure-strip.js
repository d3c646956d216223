// SPDX-License-Identifier: GPL-3.0-or-later
// The map page's figure strip: the trip figures of the whole track or of the stretch selected on
// the profile, as the program works them out (asked through window.external), and the table of
// splits over the map's bottom left corner. The page makes one with its map, its tkPage and its
// caption lookup.
window.tkFigureStrip = function (map, page, caption) {
    'use strict';

    var tk = window.tkTrack;
    var FIGURE_ROWS = [
        ['Length', 'length'], ['Moving time', 'movingTime'], ['Duration', 'duration'],
        ['Average speed', 'averageSpeed'], ['Moving average', 'movingSpeed'],
        ['Ascent / Descent', 'climb'], ['Lowest / Highest', 'altitudes']
    ];
    var EMPTY_FIGURES = { texts: {}, movingSpeed: '', climbThreshold: '', figures: { splits: [] } };
    var figureAsked = 0;

    function canAsk() {
        return tk.fnIsOurCustomBrowser() && typeof window.external.CB_StretchFigures === 'function';
    }

    // The split table opens over the map's bottom left corner.
    function addSplits() {
        var control = L.control({ position: 'bottomleft' });
        control.onAdd = function () {
            var box = L.DomUtil.create('div', 'tk-panel');
            box.id = 'splitsBox';
            box.hidden = true;
            var table = L.DomUtil.create('table', 'tk-summary', box);
            table.id = 'splits';
            L.DomEvent.disableClickPropagation(box);
            L.DomEvent.disableScrollPropagation(box);
            return box;
        };
        control.addTo(map);
        document.getElementById('splitsButton').addEventListener('click', function () {
            var box = document.getElementById('splitsBox');
            box.hidden = !box.hidden;
        });
    }

    function ask(first, last) {
        if (!canAsk())
            return;
        var asked = ++figureAsked;
        window.external.CB_StretchFigures(first, last, function (json) {
            if (asked !== figureAsked)
                return; // a later question is on its way
            var figures = null;
            try { figures = JSON.parse(json); } catch (e) { figures = null; }
            if (figures && figures.texts)
                show(figures);
        });
    }

    function fillRows(table, rowsOfCells, header) {
        table.textContent = '';
        [header].concat(rowsOfCells).forEach(function (cells, r) {
            if (!cells)
                return;
            var tr = document.createElement('tr');
            cells.forEach(function (text, i) {
                tr.appendChild(tk.textElement(r === 0 || i === 0 ? 'th' : 'td', text));
            });
            table.appendChild(tr);
        });
    }

    function show(figures, placeholder) {
        if (!placeholder)
            page.figures = figures;
        var strip = document.getElementById('figureStrip');
        var opened = strip.hidden;
        strip.hidden = false;
        document.getElementById('figuresTitle').textContent =
            caption(page.stretch ? 'Selection' : 'Whole track');
        var list = document.getElementById('figures');
        list.textContent = '';
        FIGURE_ROWS.forEach(function (r) {
            var item = tk.textElement('span', '', 'tk-figure');
            item.appendChild(tk.textElement('span', caption(r[0]), 'tk-figure-name'));
            item.appendChild(tk.textElement('span', figures.texts[r[1]] || '-', 'tk-figure-value'));
            list.appendChild(item);
        });
        document.getElementById('figuresNote').textContent =
            caption('moving above %1, climbs of %2 or more')
                .replace('%1', figures.movingSpeed).replace('%2', figures.climbThreshold);
        var unit = String(figures.splitUnit || 'km');
        document.getElementById('splitsButton').textContent = caption('Splits') + ' (' + unit + ')';
        var splits = document.getElementById('splits'); // made with the map's controls
        if (splits)
            fillRows(splits, tk.splitRows(figures.figures.splits),
                [unit, caption('Time'), caption('Duration')]);
        // The strip takes its height from the map.
        if (opened || !placeholder)
            map.invalidateSize({ pan: false });
    }

    return {
        canAsk: canAsk,
        addSplits: addSplits,
        ask: ask,
        show: show,
        // Takes the strip's room before the figures arrive, so the map is fitted to what it keeps.
        showPlaceholder: function () { show(EMPTY_FIGURES, true); }
    };
};
