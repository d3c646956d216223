# SPDX-License-Identifier: GPL-3.0-or-later
# trailkeep-cli (std only), and its helpers trailkeep-cli-device (Qt serial port) and
# trailkeep-cli-photos (exiv2).
tk_sources(TK_CLI_SOURCES
    CliArgs.cpp
    CliHelp.cpp
    CliMain.cpp
    CliOutput.cpp
    TrackCommands.cpp
    TrackFileInput.cpp
    TrackJson.cpp
    TrackListing.cpp
    TripStats.cpp
)
tk_sources(TK_CLI_MAIN_SOURCES
    main.cpp
)
tk_sources(TK_CLI_DEVICE_SOURCES
    DeviceCommands.cpp
    DeviceMain.cpp
    ProgressBar.cpp
)
tk_sources(TK_CLI_PHOTO_SOURCES
    PhotoCommands.cpp
    PhotoOutput.cpp
    PhotoSuggestion.cpp
    PhotosMain.cpp
)
