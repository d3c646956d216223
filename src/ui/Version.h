#pragma once

namespace tk {

inline constexpr char kProgramName[] = "Trailkeep";
inline constexpr char kVersionNumber[] = "1.31";
inline constexpr char kWindowTitle[] = "Trailkeep  V1.31";
inline constexpr char kAboutText[] = "Trailkeep Ver1.31";

} // namespace tk
