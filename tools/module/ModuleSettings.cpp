#include "ModuleSettings.h"

#include "SimulatedDevices.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace {

enum class Check { anyText, baudFormat, numbers, one, readOnly };

// One row per setting the module knows, in the order of its listing.
struct SettingRow {
    const char* key;
    const char* defaultValue; // "" when the setting is off by default
    const char* clearedBy;    // the value that switches it off (SET PROFILE SPP -> "")
    const char* onMeans;      // what "ON" stands for, or nullptr
    Check check;
};

constexpr std::array rows{
    SettingRow{"BT BDADDR", ownAddress, "", nullptr, Check::readOnly},
    SettingRow{"BT NAME", "Serivox Sim", "", nullptr, Check::anyText},
    SettingRow{"BT CLASS", "001f00", "", nullptr, Check::anyText},
    SettingRow{"BT AUTH", "", "*", nullptr, Check::anyText},
    SettingRow{"BT LAP", "9e8b33", "", nullptr, Check::anyText},
    SettingRow{"BT PAGEMODE", "3 2000 1", "", nullptr, Check::numbers},
    SettingRow{"BT PAIRCOUNT", "16", "", nullptr, Check::numbers},
    SettingRow{"BT ROLE", "0 f 7d00", "", nullptr, Check::anyText},
    SettingRow{"BT SNIFF", "", "0", nullptr, Check::numbers},
    SettingRow{"BT SSP", "3 0", "", nullptr, Check::numbers},
    SettingRow{"CONTROL AUTOCALL", "", "", nullptr, Check::anyText},
    SettingRow{"CONTROL BAUD", "115200,8n1", "", nullptr, Check::baudFormat},
    SettingRow{"CONTROL CD", "00 0", "", nullptr, Check::anyText},
    SettingRow{"CONTROL CONFIG", "0000 0100", "", nullptr, Check::anyText},
    SettingRow{"CONTROL ESCAPE", "43 00 1", "", nullptr, Check::anyText},
    SettingRow{"CONTROL MUX", "", "0", nullptr, Check::one},
    SettingRow{"CONTROL PIO", "00 00", "", nullptr, Check::anyText},
    SettingRow{"CONTROL READY", "00", "", nullptr, Check::anyText},
    SettingRow{"PROFILE BGIO", "", "", "BGIO", Check::anyText},
    SettingRow{"PROFILE HID", "", "", "Keyboard", Check::anyText},
    SettingRow{"PROFILE SPP", "", "", "Bluetooth Serial Port", Check::anyText},
};

const SettingRow* rowOf(const QString& key)
{
    for (const SettingRow& row : rows)
        if (key == QLatin1String(row.key))
            return &row;
    return nullptr;
}

bool passes(Check check, const QString& value)
{
    static const QRegularExpression numbers(QStringLiteral("^[0-9a-fA-F]+( [0-9a-fA-F]+)*$"));
    switch (check) {
    case Check::anyText: return true;
    case Check::baudFormat: return isBaudFormat(value);
    case Check::numbers: return numbers.match(value).hasMatch();
    case Check::one: return value == QLatin1String("1");
    case Check::readOnly: return false;
    }
    return false;
}

} // namespace

bool isBaudFormat(const QString& value)
{
    static const QRegularExpression format(QStringLiteral("^(\\d+),8([neo])([12])$"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const std::array standardRates{1200,   2400,    4800,    9600,    14400,   19200,
                                          28800,  38400,   57600,   115200,  230400,  460800,
                                          921600, 1000000, 1382400, 1843200, 2764800, 3000000};
    const QRegularExpressionMatch match = format.match(value);
    if (!match.hasMatch())
        return false;
    const int rate = match.captured(1).toInt();
    return std::find(standardRates.begin(), standardRates.end(), rate) != standardRates.end();
}

ModuleSettings::ModuleSettings() { restoreDefaults(); }

void ModuleSettings::restoreDefaults()
{
    m_values.clear();
    m_pairings.clear();
    for (const SettingRow& row : rows)
        if (*row.defaultValue)
            m_values[QLatin1String(row.key)] = QLatin1String(row.defaultValue);
}

bool ModuleSettings::set(const QString& keyAndValue)
{
    const QStringList words = keyAndValue.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return false;
    const QString key = words[0].toUpper() + QLatin1Char(' ') + words[1].toUpper();
    const QString value = words.mid(2).join(QLatin1Char(' '));
    if (key == QLatin1String("BT PAIR")) {
        if (value != QLatin1String("*"))
            return false;
        m_pairings.clear();
        return true;
    }
    const SettingRow* row = rowOf(key);
    if (!row || row->check == Check::readOnly)
        return false;
    if (value == QLatin1String(row->clearedBy)) {
        m_values.erase(key);
        return true;
    }
    if (!passes(row->check, value))
        return false;
    const bool on = row->onMeans && value.compare(QLatin1String("ON"), Qt::CaseInsensitive) == 0;
    m_values[key] = on ? QLatin1String(row->onMeans) : value;
    return true;
}

QStringList ModuleSettings::listing() const
{
    QStringList lines;
    const QString prefix = QStringLiteral("SET ");
    for (const SettingRow& row : rows) {
        const QString key = QLatin1String(row.key);
        if (const auto found = m_values.find(key); found != m_values.end())
            lines << prefix + key + QLatin1Char(' ') + found->second;
        if (key == QLatin1String("BT PAGEMODE"))
            for (const QString& address : m_pairings)
                lines << prefix + QStringLiteral("BT PAIR ") + address +
                             QStringLiteral(" 8d4a5b3c2f1e0d9c8b7a695847362514");
    }
    return lines;
}

QString ModuleSettings::value(const QString& key) const
{
    const auto found = m_values.find(key);
    return found == m_values.end() ? QString() : found->second;
}

void ModuleSettings::setValue(const QString& key, const QString& value)
{
    if (value.isEmpty())
        m_values.erase(key);
    else
        m_values[key] = value;
}

void ModuleSettings::addPairing(const QString& address)
{
    const QString lower = address.toLower();
    if (std::find(m_pairings.begin(), m_pairings.end(), lower) == m_pairings.end())
        m_pairings.push_back(lower);
}

int ModuleSettings::baudRate() const
{
    return value(QStringLiteral("CONTROL BAUD")).section(QLatin1Char(','), 0, 0).toInt();
}
