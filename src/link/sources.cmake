# SPDX-License-Identifier: GPL-3.0-or-later
# The download exchange (std only); the Qt serial port and its logger search; the download
# thread and its progress dialog (Qt).
tk_sources(TK_CORE_SOURCES
    Download.cpp
    RecordReader.cpp
)
tk_sources(TK_SERIAL_SOURCES
    SerialConnector.cpp
    SerialPort.cpp
)
tk_sources(TK_GUI_SOURCES
    DownloadThread.cpp
    ProgressDialog.cpp
)
