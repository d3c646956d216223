// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/TrackSession.h"

#include "formats/TrackFile.h"

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
    const int inUse = std::min(table_.slotCount(), static_cast<int>(table_.tracks.size()));
    // A logger memory whose first slot is empty holds no track at all.
    const bool loggerHasTracks =
        loggerSlots_ > 0 && !table_.tracks.empty() && !table_.tracks[0].points.empty();
    for (int i = loggerHasTracks ? 0 : loggerSlots_; i < inUse; ++i)
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
    dropFileTracks();
    tk::ProjectLoad load = tk::openProject(path, buffer_, decoder_);
    if (load.ok()) {
        tracksArrived();
    } else {
        appendFileTracks();
    }
    return load;
}

tk::ProjectLoad TrackSession::loadMemory(std::span<const std::uint8_t> bytes) {
    dropFileTracks();
    tk::ProjectLoad load = tk::loadProject(bytes, buffer_, decoder_);
    tracksArrived();
    return load;
}

std::string TrackSession::addTrackFile(const std::string& path, std::string* note) {
    tk::formats::TrackFileContent content = tk::formats::readTrackFile(path);
    if (!content.error.empty())
        return content.error;
    if (note)
        *note = content.note;
    const int first = table_.slotCount();
    fileTracks_.insert(fileTracks_.end(), content.tracks.begin(), content.tracks.end());
    table_.tracks.resize(static_cast<std::size_t>(first));
    for (tk::Track& t : content.tracks)
        table_.tracks.push_back(std::move(t));
    table_.lastTrack = static_cast<int>(table_.tracks.size()) - 1;
    styles_.resize(table_.tracks.size());
    for (std::size_t i = static_cast<std::size_t>(first); i < styles_.size(); ++i)
        styles_[i] = tk::TrackStyle{colours_.next()};
    selected_ = -1;
    checked_.clear();
    emit tracksReplaced();
    select(first);
    return {};
}

void TrackSession::dropFileTracks() {
    if (fileTracks_.empty())
        return;
    table_.tracks.resize(static_cast<std::size_t>(loggerSlots_));
    table_.lastTrack = loggerSlots_ - 1;
}

void TrackSession::appendFileTracks() {
    loggerSlots_ = std::min(table_.slotCount(), static_cast<int>(table_.tracks.size()));
    table_.tracks.resize(static_cast<std::size_t>(loggerSlots_));
    table_.tracks.insert(table_.tracks.end(), fileTracks_.begin(), fileTracks_.end());
    table_.lastTrack = static_cast<int>(table_.tracks.size()) - 1;
}

// Each listed track gets the next colour of the run's sequence, weight 2 and play speed 2.
void TrackSession::tracksArrived() {
    appendFileTracks();
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
