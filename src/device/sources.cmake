# SPDX-License-Identifier: GPL-3.0-or-later
# The logger's settings, clear, time zone and firmware exchanges (std only); the configuration
# dialog and its worker (Qt).
tk_sources(TK_CORE_SOURCES
    Firmware.cpp
    LoggerSettings.cpp
    TimeZone.cpp
)
tk_sources(TK_GUI_SOURCES
    CConfigDlg.cpp
    DeviceWorker.cpp
)
