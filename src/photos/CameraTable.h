// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableWidget>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "photos/CameraClocks.h"
#include "ui/Language.h"

// The geotag dialog's cameras: one row per camera with its photo count, its clock correction
// (the user's to change), and the suggestion's confidence and reason once suggested.
class CameraTable : public QTableWidget {
    Q_OBJECT
public:
    enum Column {
        cameraColumn,
        photosColumn,
        offsetColumn,
        confidenceColumn,
        reasonColumn,
        kColumns
    };

    explicit CameraTable(const tk::Language& language, QWidget* parent = nullptr);

    // The cameras of the photos; a camera already listed keeps its correction and suggestion.
    void setCameras(const std::vector<tk::photos::CameraGroup>& groups);
    // Each camera's correction becomes its suggestion where there is one.
    void setSuggestions(const std::vector<tk::photos::CameraSuggestion>& suggestions);
    // The cameras whose correction comes from photos of the GPS clock: shown, not editable.
    void setSynced(const std::map<std::string, double>& offsets);
    // The corrections the user set (or took from the suggestions), by camera.
    std::map<std::string, double> offsets() const;
    void relabel();

signals:
    void offsetsChanged();

private:
    struct Camera {
        std::string name;
        std::size_t photos = 0;
        double offset = 0;
        std::optional<tk::photos::OffsetSuggestion> suggestion;
        std::optional<double> synced;
    };

    void rebuild();
    void showCamera(int row);
    void fitColumns();
    QString text(const char* key) const;

    const tk::Language& language_;
    std::vector<Camera> cameras_;
};
