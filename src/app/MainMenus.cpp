// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

// A caption in English and in Chinese.
struct Caption {
    const char* english;
    const char* chinese;
};

struct ActionCaption {
    QAction* FrameActions::*action;
    Caption caption;
};

constexpr Caption kConfig{"Config", "设置参数"};
constexpr ActionCaption kActionCaptions[] = {
    {&FrameActions::open, {"Open", "打开工程"}},
    {&FrameActions::save, {"Save Prj", "保存工程"}},
    {&FrameActions::read, {"Read", "读取轨迹"}},
    {&FrameActions::exit, {"Exit(&X)", "退出(&X)"}},
    {&FrameActions::openOfflineMap, {"Open Offline Map...", "打开离线地图..."}},
    {&FrameActions::onlineMap, {"Online Map", "在线地图"}},
    {&FrameActions::chinese, {"Chinese", "中文"}},
    {&FrameActions::english, {"English", "English"}},
    {&FrameActions::config, kConfig},
    {&FrameActions::configTool, kConfig},
    {&FrameActions::about, {"About Trailkeep(&A)...", "关于 Trailkeep(&A)..."}},
    {&FrameActions::geotag, {"Geotag Photos...", "照片地理标记..."}},
    {&FrameActions::saveGpx, {"Save as GPX...", "另存为 GPX..."}},
};

constexpr Caption kFileMenu{"File(&F)", "文件(&F)"};
constexpr Caption kMapMenu{"Map(&M)", "地图(&M)"};
constexpr Caption kLanguageMenu{"Language", "Language"};
constexpr Caption kHelpMenu{"Help(&H)", "帮助(&H)"};
constexpr Caption kRecentMenu{"Open Recent", "最近打开的文件"};

} // namespace

void fillMainMenu(QMenuBar* bar, int languageSetting, const FrameActions& actions) {
    const bool english = languageSetting == 0;
    const auto text = [english](const Caption& caption) {
        return QString::fromUtf8(english ? caption.english : caption.chinese);
    };
    const auto addMenu = [&](const Caption& title, const char* name) {
        QMenu* menu = bar->addMenu(text(title));
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    bar->clear();
    for (const ActionCaption& entry : kActionCaptions)
        (actions.*entry.action)->setText(text(entry.caption));
    actions.recent->setTitle(text(kRecentMenu));

    QMenu* file = addMenu(kFileMenu, "fileMenu");
    file->addAction(actions.open);
    file->addMenu(actions.recent);
    file->addActions({actions.save, actions.saveGpx});
    if (english) // the English menu lists Read after Exit
        file->addActions({actions.exit, actions.read, actions.geotag});
    else
        file->addActions({actions.read, actions.geotag, actions.exit});
    addMenu(kMapMenu, "mapMenu")->addActions({actions.openOfflineMap, actions.onlineMap});
    addMenu(kLanguageMenu, "languageMenu")->addActions({actions.chinese, actions.english});
    bar->addAction(actions.config);
    addMenu(kHelpMenu, "helpMenu")->addAction(actions.about);
}
