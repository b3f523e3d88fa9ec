#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cstdio>
#include <variant>

namespace {

using S = SavedSettings;
using IntValue = std::optional<int> S::*;
using FlagValue = std::optional<bool> S::*;
using TextValue = std::optional<QString> S::*;

struct StoredValue {
    const char* name;
    std::variant<IntValue, FlagValue, TextValue> field;
};

// Names are exact, including case and inner blanks ("Data bits", "Stopbits", "TimeStamp").
const StoredValue storedValues[] = {
    {"Left", &S::Left},
    {"Top", &S::Top},
    {"Width", &S::Width},
    {"Height", &S::Height},
    {"Com Port", &S::comPort},
    {"Baud Rate", &S::baudRate},
    {"Data bits", &S::dataBits},
    {"Parity", &S::parity},
    {"Stopbits", &S::stopBits},
    {"MAC Address", &S::macAddress},
    {"SPP ToolBar", &S::SPP1},
    {"BGIO ToolBar", &S::BGIO1},
    {"HID ToolBar", &S::HID1},
    {"GainSpan ToolBar", &S::GainSpan1},
    {"Echo", &S::Echo1},
    {"Hex Mode", &S::HexMode},
    {"Hex Mode Write", &S::HexModeWrite1},
    {"Log Mode", &S::Log1},
    {"Unreadable Mode", &S::Unreadable1},
    {"Multiplex Mode", &S::MUX1},
    {"Send Data", &S::sendData},
    {"OrvinTerminal", &S::OrvinTerminal},
    {"TimeStamp", &S::Timestamp1},
    {"DateStamp", &S::DateStamp1},
    {"Copy To Send", &S::CopyToSend1},
    {"Log Directory", &S::logDirectory},
};

// A value read from the file is text; one this program wrote in this run comes back as it
// was written. Anything else (a list, a value of another kind) is not one of ours.
std::optional<QString> textOf(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<int> integerOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::Int)
        return value.toInt();
    const std::optional<QString> text = textOf(value);
    bool ok = false;
    const int number = text ? text->toInt(&ok) : 0;
    return ok ? std::optional<int>(number) : std::nullopt;
}

std::optional<bool> flagOf(const QVariant& value)
{
    const std::optional<int> number = integerOf(value);
    return number ? std::optional<bool>(*number != 0) : std::nullopt;
}

} // namespace

QString SettingsStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Serivox");
}

QString SettingsStore::fileName(const QString& versionText)
{
    return QStringLiteral("Serivox V") + versionText + QStringLiteral(".ini");
}

QStringList SettingsStore::valueNames()
{
    QStringList names;
    for (const StoredValue& value : storedValues)
        names.append(QString::fromLatin1(value.name));
    return names;
}

bool SettingsStore::isReadable() const
{
    const QFileInfo file(m_filePath);
    return file.isFile() && file.size() <= largestFileBytes;
}

SavedSettings SettingsStore::read() const
{
    SavedSettings values;
    if (!isReadable())
        return values;
    const QSettings file(m_filePath, QSettings::IniFormat);
    for (const StoredValue& stored : storedValues) {
        const QVariant value = file.value(QString::fromLatin1(stored.name));
        std::visit(
            [&](auto field) {
                using Field = std::remove_reference_t<decltype(values.*field)>;
                if constexpr (std::is_same_v<Field, std::optional<int>>)
                    values.*field = integerOf(value);
                else if constexpr (std::is_same_v<Field, std::optional<bool>>)
                    values.*field = flagOf(value);
                else
                    values.*field = textOf(value);
            },
            stored.field);
    }
    return values;
}

// The values are written to a new file beside the old one, which then takes the old one's
// place in one step: the old file stays whole until the new one is complete, and nothing of
// the old file is carried over but the values this program knows.
bool SettingsStore::write(const SavedSettings& values) const
{
    const SavedSettings complete = withOldValues(values);
    // A settings file that is a link to another place is replaced there; the link stays.
    const QFileInfo old(m_filePath);
    const QString target = old.isSymLink() ? old.symLinkTarget() : m_filePath;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QTemporaryFile newFile(target + QStringLiteral(".XXXXXX"));
    if (!newFile.open())
        return false;
    if (old.exists())
        newFile.setPermissions(old.permissions());
    newFile.close();
    {
        QSettings file(newFile.fileName(), QSettings::IniFormat);
        writeValues(file, complete);
        file.sync();
        if (file.status() != QSettings::NoError)
            return false;
    }
    if (std::rename(QFile::encodeName(newFile.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return false;
    newFile.setAutoRemove(false);
    return true;
}

// A value this run has none of (the window's placement when there is no window) keeps what
// the old file held.
SavedSettings SettingsStore::withOldValues(const SavedSettings& values) const
{
    SavedSettings complete = values;
    const SavedSettings old = read();
    for (const StoredValue& stored : storedValues)
        std::visit(
            [&](auto field) {
                if (!(complete.*field))
                    complete.*field = old.*field;
            },
            stored.field);
    return complete;
}

void SettingsStore::writeValues(QSettings& file, const SavedSettings& values)
{
    for (const StoredValue& stored : storedValues) {
        const QString name = QString::fromLatin1(stored.name);
        std::visit(
            [&](auto field) {
                const auto& value = values.*field;
                if (!value)
                    return;
                using Value = std::remove_cvref_t<decltype(*value)>;
                if constexpr (std::is_same_v<Value, bool>)
                    file.setValue(name, *value ? 1 : 0);
                else
                    file.setValue(name, *value);
            },
            stored.field);
    }
}
