// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace tk::keys {

// The texts the logger exchanges report; each is the English text and the LangText key at once.
inline constexpr std::string_view kGetUartFailed = "Get Uart Failed";
inline constexpr std::string_view kConnectFailed = "Connect Failed";
inline constexpr std::string_view kReceiveCompleted = "Receive Completed";
// A format: the records received, then the records expected.
inline constexpr std::string_view kDownloadIncomplete =
    "Download incomplete: %d of %d records received";

inline constexpr std::string_view kConfigStepFailed = "Config Step Failed";
inline constexpr std::string_view kConfigUnitFailed = "Config Unit Failed";
inline constexpr std::string_view kConfigSuccessful = "Config Successful";
inline constexpr std::string_view kClearData = "Clear Data...";
inline constexpr std::string_view kClearFailed = "ClearFailed";
inline constexpr std::string_view kConfigTimeZoneFailed = "Config time zone failed";

inline constexpr std::string_view kEnterUpgradeMode =
    "Press and hold MODE to start and enter upgrading mode";
inline constexpr std::string_view kUpgradeFailed = "Firmware upgrading failed, please try again";
inline constexpr std::string_view kUpgradeFinished = "Upgrading finished";
inline constexpr std::string_view kFirmwareImageNotFound = "Firmware image not found";

} // namespace tk::keys
