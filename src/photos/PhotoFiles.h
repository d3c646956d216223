// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tk::photos {

// A path given on the command line or chosen in the window, or found in a folder; error is set
// when it could not be looked at (a missing file, a folder that cannot be read).
struct FoundPhoto {
    std::string path;
    std::string error;
};

// True for the file name extensions of photos (JPEG, TIFF, the raw formats, PNG, WebP, HEIC...).
bool isPhotoName(std::string_view name);

// True for the file name extensions of videos whose time can be read: MP4, MOV, M4V, 3GP, MTS,
// M2TS, AVI. They are geotagged like photos, through a sidecar.
bool isVideoName(std::string_view name);

// The photos of the paths: a file is taken as it is, a folder is searched recursively for photo
// and video files (hidden files and folders left out), in name order; each path appears once.
std::vector<FoundPhoto> findPhotos(const std::vector<std::string>& paths);

// NAME.EXT.xmp beside the photo.
std::string sidecarPath(const std::string& photoPath);

// The folder part of a path ("." for a bare name) and the name part.
std::string folderOfPath(const std::string& path);
std::string nameOfPath(const std::string& path);

} // namespace tk::photos
