// SPDX-License-Identifier: GPL-3.0-or-later
// The photos of a run read on workers, written with the journal first, and runs undone from
// their journals.
#include "photos/GeotagRun.h"

#include "photos/JournalLock.h"
#include "photos/RunJournals.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace tk::photos {
namespace {

namespace fs = std::filesystem;

// Journal folders under folder (recursively, hidden folders left out).
void findJournalFolders(const fs::path& folder, std::vector<std::string>& folders) {
    std::error_code error;
    if (fs::exists(folder / kJournalName, error))
        folders.push_back(folder.string());
    fs::directory_iterator it(folder, error);
    if (error)
        return;
    std::vector<fs::path> subfolders;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (!name.empty() && name[0] != '.' && it->is_directory(typeError) &&
            !it->is_symlink(typeError))
            subfolders.push_back(it->path());
    }
    std::sort(subfolders.begin(), subfolders.end());
    for (const fs::path& sub : subfolders)
        findJournalFolders(sub, folders);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "." ? name : (folder == "/" ? "/" + name : folder + "/" + name);
}

// Writing waits on the disk more than on the processor: twice the cores, at least 8, keep the
// disk busy.
unsigned writeThreads() {
    return std::max(8u, 2 * std::thread::hardware_concurrency());
}

// The places of the folder's journal entries, read while lock holds the journal. A folder
// without a journal (which may be read-only) is not locked: it has nothing to undo.
std::vector<JournalPlace> lockedJournal(const std::string& folder,
                                        std::unique_ptr<JournalLock>& lock, std::string& error) {
    std::vector<JournalPlace> places = scanJournal(folder, error);
    if (!error.empty() || places.empty())
        return places;
    lock = JournalLock::acquire(folder, error);
    return lock ? scanJournal(folder, error) : std::vector<JournalPlace>{};
}

// Puts one photo back: its entries (places[k] for each k, newest first), each read from the
// journal only when it is undone. undone[k] is set for each one done.
UndoResult undoPhoto(PhotoAccess& access, const std::string& folder,
                     const std::vector<JournalPlace>& places, const std::vector<std::size_t>& ks,
                     std::vector<char>& undone) {
    UndoResult r;
    r.file = joined(folder, places[ks.front()].name);
    bool anyChange = false;
    for (const std::size_t k : ks) {
        std::string error;
        const auto entry = readJournalEntry(folder, places[k], error);
        bool unchanged = false;
        if (entry)
            error = access.undo(folder, *entry, unchanged);
        if (!error.empty()) {
            r.status = "error";
            r.reason = withoutPath(error, r.file);
            return r;
        }
        undone[k] = 1;
        anyChange = anyChange || !unchanged;
    }
    r.status = anyChange ? "restored" : "unchanged";
    return r;
}

// The folder's name without "." and ".." steps or symbolic links, when it can be found.
std::string sameFolderName(const std::string& folder) {
    std::error_code error;
    const fs::path canonical = fs::canonical(folder, error);
    return error ? folder : canonical.string();
}

// Runs start(k) for k in [0, count) one after another in order, each followed by work(k) on one
// of threads threads.
void orderedParallelFor(std::size_t count, const std::function<void(std::size_t)>& start,
                        const std::function<void(std::size_t)>& work, unsigned threads) {
    std::mutex order;
    std::size_t next = 0;
    parallelFor(
        threads,
        [&](std::size_t) {
            for (;;) {
                std::size_t k;
                {
                    std::lock_guard guard(order);
                    if (next >= count)
                        return;
                    k = next++;
                    start(k);
                }
                work(k);
            }
        },
        threads);
}

// Writes one photo of an entered folder: its entry goes to the journal just before the photo
// changes, and again when it was not changed after all.
void writeOne(PhotoAccess& access, const PhotoInfo& info, PhotoResult& r, bool sidecar,
              const std::string& folder, RunJournals& journals) {
    const std::string name = nameOfPath(info.path);
    bool kept = false;
    const KeepBefore keep = [&](JournalEntry& entry) {
        entry.name = name;
        const std::string error = journals.keep(folder, entry);
        kept = error.empty();
        return error.empty() ? error : "cannot keep the undo journal: " + error;
    };
    bool unchanged = false;
    const std::string error = access.write(info, *r.position, *r.utc, sidecar, keep, unchanged);
    if (error.empty()) {
        r.status = PhotoStatus::tagged;
    } else {
        r.status = PhotoStatus::error;
        r.reason = withoutPath(error, info.path);
    }
    journals.leave(folder, kept && (!error.empty() || unchanged) ? name : std::string());
}

} // namespace

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& work,
                 unsigned threads) {
    if (threads == 0)
        threads = std::max(4u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i)
            work(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            for (std::size_t i; (i = next.fetch_add(1)) < count;)
                work(i);
        });
    for (std::thread& thread : pool)
        thread.join();
}

std::vector<PhotoInfo> readPhotos(PhotoAccess& access, const std::vector<FoundPhoto>& found,
                                  const std::function<void(std::size_t)>& progress) {
    std::vector<PhotoInfo> photos(found.size());
    std::atomic<std::size_t> done{0};
    parallelFor(found.size(), [&](std::size_t i) {
        if (!found[i].error.empty()) {
            photos[i].path = found[i].path;
            photos[i].error = found[i].error;
        } else {
            photos[i] = access.read(found[i].path);
        }
        const std::size_t n = ++done;
        if (progress)
            progress(n);
    });
    return photos;
}

std::string writePhotos(PhotoAccess& access, const std::vector<PhotoInfo>& photos,
                        std::vector<PhotoResult>& results, const GeotagSettings& settings,
                        const WriteControl& control) {
    const std::string run = control.run.empty() ? newRunName() : control.run;
    std::vector<std::size_t> todo;
    for (std::size_t i = 0; i < photos.size() && i < results.size(); ++i)
        if (results[i].status == PhotoStatus::wouldTag && results[i].position && results[i].utc)
            todo.push_back(i);

    // Folder by folder, in name order, so that each folder's journal is locked once and in the
    // same order as any other run's.
    // A folder named two ways ("a", "./a") is one folder: its journal is locked once.
    std::vector<std::string> folders(photos.size());
    for (const std::size_t i : todo)
        folders[i] = sameFolderName(folderOfPath(photos[i].path));
    std::stable_sort(todo.begin(), todo.end(),
                     [&](std::size_t a, std::size_t b) { return folders[a] < folders[b]; });
    std::map<std::string, std::size_t> perFolder;
    for (const std::size_t i : todo)
        ++perFolder[folders[i]];

    RunJournals journals(run, control.waiting);
    std::vector<char> go(todo.size(), 0);
    std::atomic<std::size_t> done{0};
    orderedParallelFor(
        todo.size(),
        [&](std::size_t k) {
            // In the run's order: the folder's journal is locked before any later folder's.
            const std::size_t i = todo[k];
            const std::string& folder = folders[i];
            const bool cancelled = control.cancel && control.cancel->load();
            const std::string error = journals.enter(folder, perFolder[folder], !cancelled);
            PhotoResult& r = results[i];
            if (cancelled) {
                r.reason = "cancelled";
            } else if (!error.empty()) {
                r.status = PhotoStatus::error;
                r.reason = "cannot keep the undo journal: " + error;
            } else {
                go[k] = 1;
            }
        },
        [&](std::size_t k) {
            const std::size_t i = todo[k];
            const std::string& folder = folders[i];
            if (go[k])
                writeOne(access, photos[i], results[i], writesSidecar(photos[i], settings), folder,
                         journals);
            else
                journals.leave(folder);
            const std::size_t n = ++done;
            if (control.progress)
                control.progress(n, todo.size());
        },
        static_cast<unsigned>(std::min<std::size_t>(todo.size(), writeThreads())));
    return run;
}

std::vector<UndoResult> undoGeotagging(PhotoAccess& access, const std::vector<std::string>& paths,
                                       const std::string& onlyRun) {
    // Which photos of which folders: every photo of a journal for a folder given.
    std::map<std::string, std::set<std::string>> wanted; // folder -> names; empty = all
    std::map<std::string, bool> wholeFolder;
    std::vector<UndoResult> results;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            std::string folder = path;
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            std::vector<std::string> folders;
            findJournalFolders(folder, folders);
            for (const std::string& f : folders)
                wholeFolder[f] = true;
        } else {
            // A photo, or one that is gone: its folder's journal tells.
            wanted[folderOfPath(path)].insert(nameOfPath(path));
        }
    }
    std::set<std::string> folders;
    for (const auto& [f, names] : wanted)
        folders.insert(f);
    for (const auto& [f, all] : wholeFolder)
        folders.insert(f);

    for (const std::string& folder : folders) {
        std::string error;
        std::unique_ptr<JournalLock> lock;
        const std::vector<JournalPlace> places = lockedJournal(folder, lock, error);
        const bool all = wholeFolder.count(folder) != 0;
        const std::set<std::string> names =
            wanted.count(folder) ? wanted[folder] : std::set<std::string>{};
        if (!error.empty()) {
            for (const std::string& name : names)
                results.push_back({joined(folder, name), "error", error});
            if (all)
                results.push_back({folder, "error", error});
            continue;
        }
        // The entries to undo, per photo, newest first.
        std::map<std::string, std::vector<std::size_t>> perPhoto;
        for (std::size_t k = places.size(); k-- > 0;) {
            const JournalPlace& p = places[k];
            if ((all || names.count(p.name)) && (onlyRun.empty() || p.run == onlyRun))
                perPhoto[p.name].push_back(k);
        }
        for (const std::string& name : names)
            if (!perPhoto.count(name) && !all)
                results.push_back(
                    {joined(folder, name), "not-geotagged", "no geotagging of this photo to undo"});
        if (perPhoto.empty())
            continue;
        std::vector<std::string> photoNames;
        for (const auto& [name, ks] : perPhoto)
            photoNames.push_back(name);
        std::vector<UndoResult> folderResults(photoNames.size());
        std::vector<char> undone(places.size(), 0);
        parallelFor(photoNames.size(), [&](std::size_t p) {
            folderResults[p] = undoPhoto(access, folder, places, perPhoto[photoNames[p]], undone);
        });
        std::set<std::int64_t> offsets;
        for (std::size_t k = 0; k < places.size(); ++k)
            if (undone[k])
                offsets.insert(places[k].offset);
        const std::string writeError = removeJournalLines(folder, offsets);
        if (!writeError.empty())
            results.push_back({journalPath(folder), "error", writeError});
        results.insert(results.end(), folderResults.begin(), folderResults.end());
    }
    return results;
}

} // namespace tk::photos
