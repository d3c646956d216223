// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagRun.h"

#include <string>

// A photo's XMP sidecar: the position written into it, and taken out again by an undo.
namespace tk::photos::exiv {

// Writes the position into the photo's sidecar (made when there is none), after keep has the
// sidecar's old bytes; unchanged when the sidecar held that position already. The error text,
// empty on success.
std::string writeSidecar(const PhotoInfo& info, const Position& position, double utc,
                         const KeepBefore& keep, bool& unchanged);

// Puts the sidecar the journal entry names back as it was: a sidecar the run made loses its GPS
// properties (and goes when nothing else is left); one changed since by someone else gets only
// its GPS properties back. unchanged when there was nothing to do.
std::string undoSidecar(const std::string& folder, const JournalEntry& entry, bool& unchanged);

} // namespace tk::photos::exiv
