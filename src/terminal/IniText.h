#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

// The text of the settings file: an INI file whose values sit in its [General] section.
//
// The file is the one Qt's settings class reads and writes (so older builds of this program
// read it too): UTF-8, one "name=value" line per value, names with "%20" for a blank
// ("Com%20Port") or as they are ("Com Port"), texts with C-style escapes (\r, \x1b), in
// double quotes when they hold ',', ';' or '=' or start or end with a blank. An unquoted ','
// makes a list, an unquoted ';' starts a comment, and a text starting with "@" is another
// kind of value (a byte array, say) unless it starts with "@@", which stands for one "@", or
// is "@String(...)", Qt's form for a text that holds a null character.

// What the [General] section holds: each name with its text, or with nothing when the value
// is of another kind (a list, a byte array). Lines before the first section belong to it
// too; other sections are not read. A name given twice keeps its last value.
using IniSection = QHash<QString, std::optional<QString>>;
IniSection generalSection(const QByteArray& fileText);
// Another section, by its name; lines before the first section are not in it.
IniSection namedSection(const QByteArray& fileText, const QString& name);

// The file's first line, and one line for a value, its name as it is. Names hold letters
// and blanks only.
QByteArray generalSectionHeader();
QByteArray sectionHeader(const QString& name);
QByteArray iniLine(const QString& name, const QString& text);
