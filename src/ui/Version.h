// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tk {

inline constexpr char kProgramName[] = "Trailkeep";
inline constexpr char kVersionNumber[] = "1.31";
inline constexpr char kWindowTitle[] = "Trailkeep  V1.31";
inline constexpr char kAboutText[] = "Trailkeep Ver1.31";
// The program's one ID on the desktop: desktop entry, icon, metainfo and project file type.
inline constexpr char kDesktopId[] = "org.trailkeep.Trailkeep";

} // namespace tk
