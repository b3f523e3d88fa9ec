#pragma once

#include <QUrl>

// The help topics. They are built into the program under the help file's name
// (":/Serivox.chm/..."), one page per area of the window, and each help context number
// leads to a page, or a place on it.
QUrl helpTopic(const QString& helpFile, int context);

// The help window's own topic, how to use the help: a number of the program's own, beside
// the help file's numbers for the main window's parts.
constexpr int helpViewerContext = 40;

// The help contexts that have a topic of their own; any other number opens the contents.
QList<int> helpContextsWithTopics();
