// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tk::photos {

// What one geotagging run changed in one photo: enough to put the photo back as it was.
struct JournalEntry {
    enum class Method {
        none,        // only a sidecar was written
        exifSegment, // a JPEG: its Exif APP1 segment was replaced (or added)
        gpsTags,     // another format: its Exif GPS tags were replaced
    };

    std::string run;  // the run that made the change
    std::string name; // the photo's file name in its folder
    Method method = Method::none;
    bool hadSegment = false;          // exifSegment: the photo had an Exif segment
    std::uint64_t segmentOffset = 0;  // exifSegment: where it was, or where the new one went
    std::string segment;              // exifSegment: the segment's bytes before the run
    std::vector<std::string> gpsTags; // gpsTags: "key type value" of each GPS tag before
    // gpsTags of a TIFF file the writer appended to: its bytes were only added to and one 4-byte
    // pointer changed, so cutting it back and restoring that pointer gives its very bytes.
    // Entries without it (older journals) undo by putting the GPS tags back.
    struct Appended {
        std::uint64_t lengthBefore = 0;
        std::uint64_t pointerAt = 0;
        std::array<std::uint8_t, 4> pointerBefore{};
        std::uint64_t hashAfter = 0; // of the whole file as written: undo cuts only that file
    };
    std::optional<Appended> appended;
    std::string sidecar;         // the sidecar's file name; empty when none was written
    bool sidecarCreated = false; // the run made the sidecar
    std::string sidecarBefore;   // else the sidecar's bytes before the run
};

// The journal of a folder is a hidden file in it: never a visible file among the photos.
inline constexpr char kJournalName[] = ".trailkeep-geotag";
std::string journalPath(const std::string& folder);

// The entries of the folder's journal, oldest first; none when there is no journal. error is
// set when a journal exists but cannot be read or understood.
std::vector<JournalEntry> readJournal(const std::string& folder, std::string& error);
// Writes the entries as the folder's journal (whole or not at all); no entries removes it.
// Returns the error text, empty on success.
std::string writeJournal(const std::string& folder, const std::vector<JournalEntry>& entries);
// Adds entries to the folder's journal.
std::string appendJournal(const std::string& folder, const std::vector<JournalEntry>& entries);
// Where an entry is in the folder's journal, and whose it is: a journal of a large folder is too
// big to hold in memory, so undo reads the entries one at a time.
struct JournalPlace {
    std::int64_t offset = 0;
    std::int64_t length = 0;
    std::string run;
    std::string name;
};
// The places of the journal's entries, oldest first; none when there is no journal. error is
// set when a journal exists but cannot be read or understood.
std::vector<JournalPlace> scanJournal(const std::string& folder, std::string& error);
// The entry at its place; nothing (and error set) when it cannot be read.
std::optional<JournalEntry> readJournalEntry(const std::string& folder, const JournalPlace& place,
                                             std::string& error);
// Takes the entries at the offsets out of the folder's journal, copying the other lines as they
// are; the journal goes when no entry is left. Returns the error text.
std::string removeJournalLines(const std::string& folder, const std::set<std::int64_t>& offsets);
// Takes the entries of run for the names out of the folder's journal.
std::string removeJournalEntries(const std::string& folder, const std::string& run,
                                 const std::set<std::string>& names);

// The journal's first line, and the line of one entry.
std::string journalHeader();
std::string journalLine(const JournalEntry& entry);

// A name for a run, unique enough to tell runs apart: its UTC time and the process.
std::string newRunName();

std::string base64Encode(const std::string& bytes);
bool base64Decode(const std::string& text, std::string& bytes);

} // namespace tk::photos
