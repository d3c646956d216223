// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/TrackMenu.h"

#include <QAction>
#include <QMenu>

namespace {

struct Entry {
    TrackCommand command;
    const char* objectName;
    const char* english;
    const char* chinese;
};

constexpr Entry kEntries[] = {
    {TrackCommand::Modify, "modifyAction", "Modify", "修改"},
    {TrackCommand::Print, "printAction", "Print", "路径预览"},
    {TrackCommand::SaveToKml, "saveToKmlAction", "SaveToKML", "保存为KML"},
    {TrackCommand::SaveToGpx, "saveToGpxAction", "SaveToGPX", "保存为GPX"},
};

} // namespace

TrackCommand chooseTrackCommand(int languageSetting, const QPoint& at, QWidget* parent) {
    QMenu menu(parent);
    menu.setObjectName(QStringLiteral("trackMenu"));
    for (const Entry& entry : kEntries) {
        QAction* action =
            menu.addAction(QString::fromUtf8(languageSetting == 1 ? entry.chinese : entry.english));
        action->setObjectName(QString::fromLatin1(entry.objectName));
        action->setData(static_cast<int>(entry.command));
    }
    const QAction* picked = menu.exec(at);
    return picked ? static_cast<TrackCommand>(picked->data().toInt()) : TrackCommand::None;
}
