// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tracks/PageBuffer.h"
#include "tracks/ProjectFile.h"
#include "tracks/Track.h"
#include "tracks/TrackDecoder.h"
#include "tracks/TrackStyle.h"

// The tracks the program works on, with one owner: the logger memory (page buffer), the tracks
// decoded from it, how each is drawn, the selected track and the checked set of the all-tracks
// view. Whoever changes one of them goes through the session, which says so with a signal; the
// windows subscribe and never keep a reference into the tables across a change.
class TrackSession : public QObject {
    Q_OBJECT
public:
    explicit TrackSession(QObject* parent = nullptr);

    const tk::PageBuffer& pageBuffer() const { return buffer_; }
    const tk::TrackTable& table() const { return table_; }
    // The track in slot index, or nullptr past the table.
    const tk::Track* track(int index) const;
    // The style of slot index; the default style past the table.
    const tk::TrackStyle& style(int index) const;
    // The slots the track list shows, in order: every slot with points, none at all when the
    // first slot has none (the logger's memory then holds no track).
    std::vector<int> listedTracks() const;
    int selected() const { return selected_; }
    // The checked tracks, in slot order.
    const std::vector<int>& checked() const { return checked_; }

    // A finished download's memory and tracks take the place of the session's.
    void takeDownload(tk::PageBuffer&& buffer, tk::TrackTable&& table);
    // Reads a project file into the session. A file that cannot be read leaves everything as it
    // was and signals nothing.
    tk::ProjectLoad openProject(const std::string& path);
    // Loads a memory image (the records of a project file) into the session.
    tk::ProjectLoad loadMemory(std::span<const std::uint8_t> bytes);
    // Reads a track file (GPX, FIT, TCX, ...); its tracks join the session after the others and
    // stay when the logger's memory is replaced; the first of them is selected. A file that
    // cannot be read, or holds no track, leaves everything as it was. Returns the error text
    // (empty on success); note receives what else the file held.
    std::string addTrackFile(const std::string& path, std::string* note = nullptr);
    // The number of slots that hold the logger's memory; the tracks of files follow them.
    int loggerSlots() const { return loggerSlots_; }

    void setStyle(int index, const tk::TrackStyle& style);
    // The user picked the track (a row, a line on the map). A track picked again is signalled
    // again: the views show it anew. Slots without points are refused.
    void select(int index);
    void setChecked(std::vector<int> tracks);

signals:
    // Everything was replaced: the tracks, their fresh styles; nothing selected or checked.
    void tracksReplaced();
    void styleChanged(int index);
    void selectionChanged(int index);
    void checkedChanged();

private:
    void tracksArrived();
    // The table without, and again with, the tracks of files after the logger's.
    void dropFileTracks();
    void appendFileTracks();

    tk::PageBuffer buffer_;
    tk::TrackTable table_;
    tk::TrackDecoder decoder_{table_};
    std::vector<tk::TrackStyle> styles_;
    tk::ColourSequence colours_;
    int selected_ = -1;
    std::vector<int> checked_;
    std::vector<tk::Track> fileTracks_;
    int loggerSlots_ = 0;
};
