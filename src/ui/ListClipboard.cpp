#include "ListClipboard.h"

#include "TerminalCore.h"

#include <QClipboard>
#include <QGuiApplication>

namespace clipboard {

namespace {
const QString lineEnd = QStringLiteral("\r\n");
}

void CopyClick(const TerminalCore& core)
{
    const TerminalLines& lines = core.lines();
    qsizetype length = 0;
    for (int i = 0; i < lines.count(); ++i)
        length += lines.lineLength(i) + lineEnd.size();
    QString text;
    text.reserve(length);
    for (int i = 0; i < lines.count(); ++i)
        text += lines.line(i) + lineEnd;
    QGuiApplication::clipboard()->setText(text);
}

void Paste1Click(TerminalCore& core) { core.list().addLine(QGuiApplication::clipboard()->text()); }

} // namespace clipboard
