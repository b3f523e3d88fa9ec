#pragma once

#include <QString>
#include <QStringList>

// serivox-module's command line.
struct ModuleOptions {
    QString portsDir; // empty: the user's ports folder
    int com = 1;
    bool replace = false;
    QString logFile; // empty: standard error
    int guardMs = 1000;
    double timeScale = 1.0;
    bool banner = false;
    bool stopWithParent = false;
    bool baudFollow = false;
    bool baudStrict = false;
    bool load = false;
    double lineRate = 100;
    int lineLength = 80;
    qint64 lines = 0; // 0: no end
};

struct ParsedOptions {
    ModuleOptions options;
    QString error; // set when the command line is wrong
    bool help = false;
};

ParsedOptions parseModuleOptions(const QStringList& arguments);
QString moduleHelpText();
