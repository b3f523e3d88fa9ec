#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

// The module's settings, as SET changes them and lists them. Each setting is named by its
// group and key ("BT NAME", "CONTROL BAUD", "PROFILE SPP") and holds the rest of its line.
// A setting that is not set is not listed.
class ModuleSettings {
public:
    ModuleSettings();

    // "BT NAME Kitchen" and the like: false when the group or key is not known or the value
    // is not valid for it.
    bool set(const QString& keyAndValue);
    void restoreDefaults();

    // The "SET ..." lines of the listing, in the module's fixed order (without the final
    // "SET" that ends the listing).
    QStringList listing() const;

    QString value(const QString& key) const; // empty when not set
    bool isSet(const QString& key) const { return !value(key).isEmpty(); }
    void setValue(const QString& key, const QString& value);

    // Pairings are kept by address; SET BT PAIR * forgets them all.
    void addPairing(const QString& address);

    // The UART speed of "CONTROL BAUD" ("115200,8n1" -> 115200).
    int baudRate() const;

private:
    std::map<QString, QString> m_values;
    std::vector<QString> m_pairings;
};

// "9600,8n1": a standard rate, 8 data bits, parity n/e/o, 1 or 2 stop bits.
bool isBaudFormat(const QString& value);
