#include "HelpTopics.h"

namespace {

struct HelpTopic {
    int context;
    const char* page;
    const char* place = nullptr;
};

constexpr int contentsContext = 1;

const HelpTopic helpTopics[] = {
    {contentsContext, "index.html"},
    {2, "toolbars.html", "spp"},
    {3, "main-toolbar.html"},
    {11, "main-toolbar.html", "set"},
    {12, "main-toolbar.html", "reset"},
    {13, "main-toolbar.html", "list"},
    {14, "main-toolbar.html", "inquiry"},
    {15, "main-toolbar.html", "mac"},
    {30, "window.html"},
    {34, "file-menu.html"},
    {35, "com-menu.html"},
    {36, "parameters-menu.html"},
    {37, "view-menu.html"},
    {38, "commands-menu.html"},
    {39, "help-menu.html"},
    {helpViewerContext, "using-help.html"},
    {58, "terminal.html"},
};

const HelpTopic& topicOf(int context)
{
    for (const HelpTopic& topic : helpTopics)
        if (topic.context == context)
            return topic;
    return helpTopics[0];
}

} // namespace

QUrl helpTopic(const QString& helpFile, int context)
{
    const HelpTopic& topic = topicOf(context);
    QUrl url(QStringLiteral("qrc:/%1/%2").arg(helpFile, QString::fromLatin1(topic.page)));
    if (topic.place)
        url.setFragment(QString::fromLatin1(topic.place));
    return url;
}

QList<int> helpContextsWithTopics()
{
    QList<int> contexts;
    for (const HelpTopic& topic : helpTopics)
        contexts.append(topic.context);
    return contexts;
}
