// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/FileReplace.h"
#include "photos/GeotagJournal.h"
#include "photos/GeotagMatch.h"
#include "photos/PhotoFiles.h"
#include "photos/PhotoTime.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tk::photos {

enum class PhotoStatus {
    tagged,
    wouldTag,
    hasPosition,
    gap,
    outside,
    noTime,
    unsupported,
    error,
    noOffset
};
// "tagged", "would-tag", "has-position", "gap", "outside", "no-time", "unsupported", "error",
// "no-offset".
const char* statusName(PhotoStatus status);

// How a photo can take a position: in the file, only in an XMP sidecar (formats that can be
// read but not written), or not at all.
enum class PhotoWriteMode { inPlace, sidecarOnly, unsupported };

// What reading a photo found.
struct PhotoInfo {
    std::string path;
    std::string error; // could not be read: the reason, and nothing else is set
    PhotoWriteMode mode = PhotoWriteMode::unsupported;
    std::string format; // "JPEG", "TIFF", "MPEG-4 video"...
    bool video = false;
    std::optional<ClockTime> cameraTime;
    bool timeIsUtc = false;                  // cameraTime is UTC (a video's), whatever the zone
    std::optional<int> ownOffset;            // OffsetTimeOriginal
    std::string camera;                      // its camera's name (cameraName); empty: unknown
    std::optional<double> gpsUtc;            // the GPS time stamp, UTC
    std::optional<Position> position;        // Exif GPS already in the photo
    std::optional<Position> sidecarPosition; // GPS in its sidecar
    bool sidecarExists = false;
    std::string thumbnail; // the embedded thumbnail (JPEG bytes), when the photo has one
    FileStamp stamp;
    // How the photo is written and what it held when read, for the journal: not the bytes (a
    // run over many photos would hold them all), but hashes of the Exif segment and the sidecar;
    // the writer reads them again, checks them and journals them just before it changes them.
    JournalEntry before;
    std::uint64_t exifHash = 0;
    std::uint64_t sidecarHash = 0;
};

// Called by a writer with the entry of what a photo (or its sidecar) holds, just before it
// changes it; the change goes ahead only when it returns no error text.
using KeepBefore = std::function<std::string(JournalEntry& entry)>;

// Reads photos and writes positions; trailkeep's own is made with exiv2 (ExivPhotoAccess).
class PhotoAccess {
public:
    virtual ~PhotoAccess() = default;
    virtual PhotoInfo read(const std::string& path) = 0;
    // Writes the position at the UTC time into the photo, or into its sidecar when sidecar is
    // set, after keep has taken what it held. Returns the error text, empty on success;
    // unchanged tells that the photo (or sidecar) already held exactly these tags and was left
    // alone (and nothing was kept).
    virtual std::string write(const PhotoInfo& info, const Position& position, double utc,
                              bool sidecar, const KeepBefore& keep, bool& unchanged) = 0;
    // Puts the photo named by the entry in folder back as the entry says; unchanged when there
    // was nothing to put back. Returns the error text, empty on success.
    virtual std::string undo(const std::string& folder, const JournalEntry& entry,
                             bool& unchanged) = 0;
};

// A photo of a GPS (or phone) clock: the photo's index among the photos and the time its clock
// shows; without a zone the time is read in the camera's zone.
struct SyncPoint {
    std::size_t photo = 0;
    ZonedClockTime shown;
};

struct GeotagSettings {
    ZoneChoice zone;
    double offset = 0; // seconds added to the camera time; ignored when syncs are given
    std::vector<SyncPoint> syncs;
    MatchLimits limits;
    bool overwrite = false;
    bool sidecar = false;
};

struct PhotoResult {
    PhotoStatus status = PhotoStatus::error;
    std::optional<double> cameraUtc; // the camera's time read in the camera's zone
    std::optional<double> utc;       // the photo's true UTC time
    int track = 0;                   // the track's row, 0 for none
    std::optional<Position> position;
    std::string sidecar; // the sidecar written (or to be written)
    std::string reason;
    double seconds = 0; // gap: its length; outside: the time from the nearest fix
};

// The camera time of a photo read in the camera's zone, as UTC seconds.
std::optional<double> cameraUtc(const PhotoInfo& info, const ZoneChoice& zone);

// The clock correction of the settings: --offset, or the sync photos'. error is set (and the
// correction empty) when a sync photo has no time or two disagree at the same camera time.
ClockCorrection clockCorrection(const GeotagSettings& settings,
                                const std::vector<PhotoInfo>& photos, std::string& error);

// The clock correction of one photo's camera, or why that camera has none.
struct PhotoClock {
    ClockCorrection correction;
    std::string noOffset; // set: the photo gets no-offset with this reason
};

// A reason without the path it begins with: the file is named beside it.
std::string withoutPath(const std::string& reason, const std::string& path);

// Whether the run puts the photo's position in its XMP sidecar rather than in the photo.
bool writesSidecar(const PhotoInfo& info, const GeotagSettings& settings);

// What would be done: tagged photos show as wouldTag. Pure: no file is touched. clocks holds
// each photo's own; the other form applies one correction to every photo.
std::vector<PhotoResult> matchPhotos(const std::vector<PhotoInfo>& photos,
                                     const std::vector<FixTrack>& tracks,
                                     const GeotagSettings& settings,
                                     const std::vector<PhotoClock>& clocks);
std::vector<PhotoResult> matchPhotos(const std::vector<PhotoInfo>& photos,
                                     const std::vector<FixTrack>& tracks,
                                     const GeotagSettings& settings,
                                     const ClockCorrection& correction);

// Reads the photos found on threads; a found path with an error stays an error.
std::vector<PhotoInfo> readPhotos(PhotoAccess& access, const std::vector<FoundPhoto>& found,
                                  const std::function<void(std::size_t)>& progress = {});

struct WriteControl {
    std::function<void(std::size_t done, std::size_t total)> progress; // from the worker threads
    const std::atomic<bool>* cancel = nullptr;
    std::string run; // the run's name in the journals; a new one when empty
    // Called (on the calling thread) before waiting for another run that holds a folder's journal.
    std::function<void(const std::string& folder)> waiting;
};

// Writes the wouldTag photos in parallel, each through a temporary file after its entry is in
// its folder's journal (locked while the run writes there). They become tagged, or error with
// the reason; photos left out by a cancel keep wouldTag with the reason "cancelled". Returns the
// run's name.
std::string writePhotos(PhotoAccess& access, const std::vector<PhotoInfo>& photos,
                        std::vector<PhotoResult>& results, const GeotagSettings& settings,
                        const WriteControl& control = {});

struct UndoResult {
    std::string file;
    std::string status; // "restored", "unchanged", "not-geotagged", "error"
    std::string reason;
};

// Puts back every photo of the paths (photos, or folders searched recursively) that a run
// changed, newest change first; only the changes of onlyRun when it is given. Their journal
// entries go; sidecars the runs made are removed.
std::vector<UndoResult> undoGeotagging(PhotoAccess& access, const std::vector<std::string>& paths,
                                       const std::string& onlyRun = {});

// Runs work(i) for i in [0, count) on up to threads threads (0: the machine's cores, at least 4
// for file work that waits on the disk).
void parallelFor(std::size_t count, const std::function<void(std::size_t)>& work,
                 unsigned threads = 0);

} // namespace tk::photos
