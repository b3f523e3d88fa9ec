#pragma once

#include "SavedSettings.h"

#include <QByteArray>
#include <QStringList>

// The settings file of one program version: $XDG_CONFIG_HOME/Serivox/"Serivox V<version>.ini",
// so that each version keeps settings of its own. It holds the 26 values in its [General]
// section, under their names as people read them ("Com Port=7"), in the order below;
// integers and flags as numbers (a flag is 1 or 0, and any other 32-bit number reads as on),
// texts as strings (IniText.h). Files that name the values as Qt's settings class does
// ("Com%20Port=7") read the same.
class SettingsStore {
public:
    explicit SettingsStore(QString filePath) : m_filePath(std::move(filePath)) {}

    // $XDG_CONFIG_HOME/Serivox, by default ~/.config/Serivox (XdgFolders.h).
    static QString defaultFolder();
    // "Serivox V1.10.ini" for version text "1.10".
    static QString fileName(const QString& versionText);
    // The value names, in the order they are read and written.
    static QStringList valueNames();

    const QString& filePath() const { return m_filePath; }

    // The 26 values take a few kilobytes even with long texts. A larger file is not one this
    // program wrote, and is not read: parsing it could hold the start for minutes.
    static constexpr qint64 largestFileBytes = 1024 * 1024;

    // What the file holds; every value empty when there is no file, or when it is not a
    // settings file this program can read (too large, not a plain file).
    SavedSettings read() const;
    // Writes the values that are present, the whole file at once: a crash or a full disk
    // during the write leaves the previous file as it was. A value that is not present keeps
    // the one the previous file held. A settings file reached through links is written where
    // they lead, when that is a plain file or a free name in a folder that exists
    // (FileReplacement.h). False, with the reason in `why`, when it could not be written.
    bool write(const SavedSettings& values, QString* why = nullptr) const;
    // Removes the temporaries that writes killed part way left beside the file.
    void removeLeftovers() const;

private:
    SavedSettings withOldValues(const SavedSettings& values) const;
    static QByteArray fileText(const SavedSettings& values);

    QString m_filePath;
};
