// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/TrackSession.h"

#include <algorithm>

TrackSession::TrackSession(QObject* parent) : QObject(parent) {}

const tk::Track* TrackSession::track(int index) const {
    if (index < 0 || index >= static_cast<int>(table_.tracks.size()))
        return nullptr;
    return &table_.tracks[static_cast<std::size_t>(index)];
}

const tk::TrackStyle& TrackSession::style(int index) const {
    static const tk::TrackStyle kDefault;
    if (index < 0 || index >= static_cast<int>(styles_.size()))
        return kDefault;
    return styles_[static_cast<std::size_t>(index)];
}

std::vector<int> TrackSession::listedTracks() const {
    std::vector<int> listed;
    if (table_.slotCount() == 0 || table_.tracks.empty() || table_.tracks[0].points.empty())
        return listed;
    const int inUse = std::min(table_.slotCount(), static_cast<int>(table_.tracks.size()));
    for (int i = 0; i < inUse; ++i)
        if (!table_.tracks[static_cast<std::size_t>(i)].points.empty())
            listed.push_back(i);
    return listed;
}

void TrackSession::takeDownload(tk::PageBuffer&& buffer, tk::TrackTable&& table) {
    buffer_ = std::move(buffer);
    table_ = std::move(table);
    tracksArrived();
}

tk::ProjectLoad TrackSession::openProject(const std::string& path) {
    tk::ProjectLoad load = tk::openProject(path, buffer_, decoder_);
    if (load.ok())
        tracksArrived();
    return load;
}

tk::ProjectLoad TrackSession::loadMemory(std::span<const std::uint8_t> bytes) {
    tk::ProjectLoad load = tk::loadProject(bytes, buffer_, decoder_);
    tracksArrived();
    return load;
}

// Each listed track gets the next colour of the run's sequence, weight 2 and play speed 2.
void TrackSession::tracksArrived() {
    styles_.assign(table_.tracks.size(), tk::TrackStyle{});
    for (const int index : listedTracks())
        styles_[static_cast<std::size_t>(index)].colour = colours_.next();
    selected_ = -1;
    checked_.clear();
    emit tracksReplaced();
}

void TrackSession::setStyle(int index, const tk::TrackStyle& style) {
    if (index < 0 || index >= static_cast<int>(styles_.size()) ||
        styles_[static_cast<std::size_t>(index)] == style)
        return;
    styles_[static_cast<std::size_t>(index)] = style;
    emit styleChanged(index);
}

void TrackSession::select(int index) {
    const tk::Track* picked = track(index);
    if (!picked || picked->points.empty())
        return;
    selected_ = index;
    emit selectionChanged(index);
}

void TrackSession::setChecked(std::vector<int> tracks) {
    std::sort(tracks.begin(), tracks.end());
    tracks.erase(std::unique(tracks.begin(), tracks.end()), tracks.end());
    std::erase_if(tracks, [this](int index) {
        const tk::Track* t = track(index);
        return !t || t->points.empty();
    });
    if (tracks == checked_)
        return;
    checked_ = std::move(tracks);
    emit checkedChanged();
}
