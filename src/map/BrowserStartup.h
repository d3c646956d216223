// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the embedded browser needs settled before the application object exists: the sandbox
// (it cannot run for root), the tile scheme, shared OpenGL contexts, and how the browser's
// pictures reach the window. Called first thing by every program that shows the pages.
void prepareEmbeddedBrowser(int argc, char** argv);
