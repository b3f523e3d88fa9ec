#include "SettingsStore.h"

#include "FileReplacement.h"
#include "IniText.h"
#include "XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
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

const QString scrollbackSection = QStringLiteral("Scrollback");
const QString scrollbackMemoryName = QStringLiteral("Memory MB");

// Numbers are written in decimal, and read so: no other notation ("0x1", "1e3").
std::optional<qint64> numberOf(const std::optional<QString>& text)
{
    bool ok = false;
    const qint64 number = text ? text->toLongLong(&ok, 10) : 0;
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

std::optional<int> integerOf(const std::optional<QString>& text)
{
    const std::optional<qint64> number = numberOf(text);
    if (!number || *number < std::numeric_limits<int>::min() ||
        *number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*number);
}

// A flag is a 32-bit value: any that is not 0 is on, up to 4294967295 (and a negative one,
// which stands for the same bits).
std::optional<bool> flagOf(const std::optional<QString>& text)
{
    const std::optional<qint64> number = numberOf(text);
    if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return *number != 0;
}

std::optional<int> scrollbackMegabytes(const std::optional<QString>& text)
{
    const std::optional<int> megabytes = integerOf(text);
    if (!megabytes || *megabytes < 1 || *megabytes > SavedSettings::largestScrollbackMB)
        return std::nullopt;
    return megabytes;
}

// The file's bytes, when it is a plain file (through links) of a size this program writes.
// A device or a named pipe is not even opened: opening one can block, or act on a port.
std::optional<QByteArray> smallFileText(const QString& path, qint64 largest)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat entry {};
    if (::stat(name.constData(), &entry) != 0 || !S_ISREG(entry.st_mode) || entry.st_size > largest)
        return std::nullopt;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray text;
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)) {
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly))
            text = file.read(largest + 1);
    }
    ::close(fd);
    if (text.size() > largest)
        return std::nullopt;
    return text;
}

} // namespace

QString SettingsStore::defaultFolder() { return serivoxConfigFolder(); }

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

SavedSettings SettingsStore::read() const
{
    SavedSettings values;
    const std::optional<QByteArray> text = smallFileText(m_filePath, largestFileBytes);
    if (!text)
        return values;
    const IniSection file = generalSection(*text);
    for (const StoredValue& stored : storedValues) {
        const std::optional<QString> value = file.value(QString::fromLatin1(stored.name));
        std::visit(
            [&](auto field) {
                using Field = std::remove_reference_t<decltype(values.*field)>;
                if constexpr (std::is_same_v<Field, std::optional<int>>)
                    values.*field = integerOf(value);
                else if constexpr (std::is_same_v<Field, std::optional<bool>>)
                    values.*field = flagOf(value);
                else
                    values.*field = value;
            },
            stored.field);
    }
    values.scrollbackMemoryMB =
        scrollbackMegabytes(namedSection(*text, scrollbackSection).value(scrollbackMemoryName));
    return values;
}

bool SettingsStore::write(const SavedSettings& values, QString* why) const
{
    const QByteArray text = fileText(withOldValues(values));
    // The settings folder is made when missing; no other folder ever is.
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    return replaceFile(m_filePath, text, why);
}

void SettingsStore::removeLeftovers() const { removeLeftoverTemporaries(m_filePath); }

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
    if (!complete.scrollbackMemoryMB)
        complete.scrollbackMemoryMB = old.scrollbackMemoryMB;
    return complete;
}

QByteArray SettingsStore::fileText(const SavedSettings& values)
{
    QByteArray text = generalSectionHeader();
    for (const StoredValue& stored : storedValues) {
        const QString name = QString::fromLatin1(stored.name);
        std::visit(
            [&](auto field) {
                const auto& value = values.*field;
                if (!value)
                    return;
                using Value = std::remove_cvref_t<decltype(*value)>;
                if constexpr (std::is_same_v<Value, bool>)
                    text += iniLine(name, *value ? QStringLiteral("1") : QStringLiteral("0"));
                else if constexpr (std::is_same_v<Value, int>)
                    text += iniLine(name, QString::number(*value));
                else
                    text += iniLine(name, *value);
            },
            stored.field);
    }
    if (values.scrollbackMemoryMB)
        text += '\n' + sectionHeader(scrollbackSection) +
                iniLine(scrollbackMemoryName, QString::number(*values.scrollbackMemoryMB));
    return text;
}
