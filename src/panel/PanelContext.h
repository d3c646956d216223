// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TrackSession;

namespace tk {
class Language;
}

// What the track panel needs of the program: the track session it shows and changes, and the
// interface language.
struct PanelContext {
    TrackSession& session;
    const tk::Language& language;
};
