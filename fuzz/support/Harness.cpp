#include "Harness.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

void startQt(int* argc, char*** argv)
{
    // Never destroyed: it would go after Qt's own statics at exit, and crash there.
    if (!QCoreApplication::instance())
        new QCoreApplication(*argc, *argv);
}

const QString& scratchFolder()
{
    static QTemporaryDir folder;
    static const QString path = folder.path();
    if (!folder.isValid())
        fail("cannot make a scratch folder");
    return path;
}

void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "\n*** %s\n%s\n", what, qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

QString visible(const QString& text)
{
    QString shown;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != QLatin1Char('\\'))
            shown += c;
        else
            shown += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
    }
    return shown;
}

} // namespace fuzz

// Every target starts Qt as the program does; a target that needs more (widgets) defines
// its own, which takes the place of this one.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startQt(argc, argv);
    return 0;
}
