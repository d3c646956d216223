// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/PageBridge.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

#include "map/CoordinatesText.h"
#include "ui/Language.h"

namespace {

// Pages see plain functions at once; calls made before the channel is up wait in a queue.
// Only two string arguments ever reach the program as a position, and at most a short prefix of
// each: the position parser reads no further than the first characters that are not part of a
// number. The other calls pass numbers only.
constexpr char kExternalShim[] = R"JS(
(function () {
    var target = null, queue = [];
    function send(name, args) {
        if (target) target[name].apply(target, args); else queue.push([name, args]);
    }
    function clip(v) { return String(v).slice(0, 64); }
    var external = {
        CB_IsOurCustomBrowser: function () { return true; },
        CB_Close: function () { return true; },
        CB_CustomFunction: function () { return true; },
        CB_CustomFunctionWithParams: function (lat, lon) {
            if (typeof lat === 'string' && typeof lon === 'string')
                send('CB_CustomFunctionWithParams', [clip(lat), clip(lon)]);
            return true;
        },
        CB_StretchFigures: function (first, last, done) {
            if (typeof first === 'number' && typeof last === 'number' && typeof done === 'function')
                send('CB_StretchFigures', [first, last, function (json) { done(String(json)); }]);
            return true;
        },
        CB_SelectTrack: function (track) {
            if (typeof track === 'number')
                send('CB_SelectTrack', [track]);
            return true;
        }
    };
    try {
        Object.defineProperty(window, 'external', { value: external, configurable: true });
    } catch (e) { window.external = external; }
    if (typeof qt === 'undefined' || !qt.webChannelTransport) return;
    // The program's own pages: what to show reaches them through the door, once it is open.
    var waiting = [];
    window.tkDoor = {
        onReady: function (fn) { if (target) fn(target); else waiting.push(fn); }
    };
    function parsed(json) {
        try { return JSON.parse(json); } catch (e) { return null; }
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
        target = channel.objects.external;
        queue.splice(0).forEach(function (call) { send(call[0], call[1]); });
        // Another map chosen, another language: every page of the program follows at once.
        target.tilesChanged.connect(function (json) {
            var tiles = parsed(json);
            if (!tiles) return;
            window.TK_TILES = tiles;
            if (typeof window.tkSetTiles === 'function') window.tkSetTiles(tiles);
        });
        target.textsChanged.connect(function (json) {
            var texts = parsed(json);
            if (!texts) return;
            window.TK_TEXTS = texts;
            if (typeof window.tkRelabel === 'function') window.tkRelabel();
        });
        waiting.splice(0).forEach(function (fn) { fn(target); });
    });
})();
)JS";

QString webChannelLibrary() {
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

PageBridge::PageBridge(const tk::Language& language, QObject* parent)
    : QObject(parent), language_(language) {}

void PageBridge::CB_CustomFunctionWithParams(const QVariant& latitude, const QVariant& longitude) {
    if (latitude.typeId() != QMetaType::QString || longitude.typeId() != QMetaType::QString)
        return;
    const std::string text = tk::coordinatesText(
        latitude.toString().left(64).toStdString(), longitude.toString().left(64).toStdString(),
        language_.text("Latitude"), language_.text("Longitude"));
    emit coordinatesShown(QString::fromStdString(text));
}

namespace {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// A row or track number from the page: whole, and within what a long can hold.
long wholeNumber(const QVariant& value) {
    return static_cast<long>(qBound(-1e9, std::floor(value.toDouble()), 1e9));
}

bool isFiniteNumber(const QVariant& value) {
    return isNumber(value) && std::isfinite(value.toDouble());
}

} // namespace

QString PageBridge::CB_StretchFigures(const QVariant& first, const QVariant& last) const {
    if (!isFiniteNumber(first) || !isFiniteNumber(last))
        return QStringLiteral("{}");
    return QString::fromStdString(
        tk::stretchFiguresJson(shown_, wholeNumber(first), wholeNumber(last)));
}

void PageBridge::CB_SelectTrack(const QVariant& track) {
    if (isFiniteNumber(track))
        emit trackPicked(static_cast<int>(wholeNumber(track)));
}

void PageBridge::pickPhoto(const QVariant& row) {
    if (isFiniteNumber(row))
        emit photoPicked(static_cast<int>(wholeNumber(row)));
}

// Kept for the pages that start later, sent to those on show.
void PageBridge::keepAndSend(QString& kept, const QString& json,
                             void (PageBridge::*changed)(const QString&)) {
    kept = json;
    emit(this->*changed)(kept);
}

void PageBridge::setTrack(const QString& json) {
    keepAndSend(track_, json, &PageBridge::trackChanged);
}

void PageBridge::setView(const QString& json) {
    keepAndSend(view_, json, &PageBridge::viewChanged);
}

void PageBridge::setPhotoTracks(const QString& json) {
    keepAndSend(photoTracks_, json, &PageBridge::photoTracksChanged);
}

void PageBridge::setPhotos(const QString& json) {
    keepAndSend(photos_, json, &PageBridge::photosChanged);
}

QString PageBridge::pageTextsJson() const {
    QJsonObject texts;
    for (const char* key :
         {"Play", "Pause", "Slower", "Faster", "point", "points", "Length", "Moving time",
          "Duration", "Average speed", "Moving average", "Ascent / Descent", "Lowest / Highest",
          "moving above %1, climbs of %2 or more", "Whole track", "Selection", "Splits", "Time"})
        texts.insert(QString::fromLatin1(key), QString::fromStdString(language_.text(key)));
    return QString::fromUtf8(QJsonDocument(texts).toJson(QJsonDocument::Compact));
}

QString PageBridge::pageTextsScript() const {
    return QStringLiteral("window.TK_TEXTS = %1;\n").arg(pageTextsJson());
}

QString PageBridge::documentCreationScript() {
    static const QString script = webChannelLibrary() + QString::fromUtf8(kExternalShim);
    return script;
}
