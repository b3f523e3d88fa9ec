#pragma once

#include "SavedSettings.h"

#include <QStringList>

// The settings file of one program version: $XDG_CONFIG_HOME/Serivox/"Serivox V<version>.ini",
// so that each version keeps settings of its own. It holds the 26 values under their fixed
// names; integers and flags as numbers (a flag is 1 or 0, and any other number reads as on),
// texts as strings.
class SettingsStore {
public:
    explicit SettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}

    // $XDG_CONFIG_HOME/Serivox, by default ~/.config/Serivox.
    static QString defaultFolder();
    // "Serivox V1.10.ini" for version text "1.10".
    static QString fileName(const QString& versionText);
    // The value names, in the order they are read and written.
    static QStringList valueNames();

    const QString& filePath() const { return m_filePath; }

    // What the file holds; every value empty when there is no file.
    SavedSettings read() const;
    // Writes the values that are present, the whole file at once: a crash or a full disk
    // during the write leaves the previous file as it was. False when it could not be written.
    bool write(const SavedSettings& values) const;

private:
    QString m_filePath;
};
