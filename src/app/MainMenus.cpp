// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

struct MenuCaptions {
    const char *file, *open, *save, *read, *exit, *map, *openOfflineMap, *onlineMap, *language,
        *chinese, *english, *config, *help, *about, *geotag, *saveGpx, *recent;
};

constexpr MenuCaptions kEnglish{"File(&F)",
                                "Open",
                                "Save Prj",
                                "Read",
                                "Exit(&X)",
                                "Map(&M)",
                                "Open Offline Map...",
                                "Online Map",
                                "Language",
                                "Chinese",
                                "English",
                                "Config",
                                "Help(&H)",
                                "About Trailkeep(&A)...",
                                "Geotag Photos...",
                                "Save as GPX...",
                                "Open Recent"};
constexpr MenuCaptions kChinese{"文件(&F)",        "打开工程",
                                "保存工程",        "读取轨迹",
                                "退出(&X)",        "地图(&M)",
                                "打开离线地图...", "在线地图",
                                "Language",        "中文",
                                "English",         "设置参数",
                                "帮助(&H)",        "关于 Trailkeep(&A)...",
                                "照片地理标记...", "另存为 GPX...",
                                "最近打开的文件"};

QMenu* addMenu(QMenuBar* bar, const char* title, const char* name) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(title));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

void name(QAction* action, const char* text) {
    action->setText(QString::fromUtf8(text));
}

} // namespace

void fillMainMenu(QMenuBar* bar, int languageSetting, const FrameActions& actions) {
    const bool english = languageSetting == 0;
    const MenuCaptions& c = english ? kEnglish : kChinese;
    bar->clear();
    name(actions.open, c.open);
    name(actions.save, c.save);
    name(actions.read, c.read);
    name(actions.exit, c.exit);
    name(actions.openOfflineMap, c.openOfflineMap);
    name(actions.onlineMap, c.onlineMap);
    name(actions.chinese, c.chinese);
    name(actions.english, c.english);
    name(actions.config, c.config);
    name(actions.configTool, c.config);
    name(actions.about, c.about);
    name(actions.geotag, c.geotag);
    name(actions.saveGpx, c.saveGpx);
    actions.recent->setTitle(QString::fromUtf8(c.recent));

    QMenu* file = addMenu(bar, c.file, "fileMenu");
    file->addAction(actions.open);
    file->addMenu(actions.recent);
    file->addActions({actions.save, actions.saveGpx});
    if (english) // the English menu lists Read after Exit
        file->addActions({actions.exit, actions.read, actions.geotag});
    else
        file->addActions({actions.read, actions.geotag, actions.exit});
    addMenu(bar, c.map, "mapMenu")->addActions({actions.openOfflineMap, actions.onlineMap});
    addMenu(bar, c.language, "languageMenu")->addActions({actions.chinese, actions.english});
    bar->addAction(actions.config);
    addMenu(bar, c.help, "helpMenu")->addAction(actions.about);
}
