// A file's bytes, taken in pieces of any size, against the plain reading of the line rule:
// the file ends at the first 0x1A, every LF ends a line, CRs are dropped, and a last line
// without an LF still counts when any byte (a CR included) came after the last LF.
//
// Input: [piece size byte][file bytes]; pieces cycle through sizes 1 to the first byte + 1.
#include "DownloadLines.h"
#include "Harness.h"

#include <QStringList>
#include <cstdint>

namespace {

using fuzz::require;

QStringList referenceLines(QByteArray file)
{
    const qsizetype end = file.indexOf('\x1a');
    if (end >= 0)
        file.truncate(end);
    QStringList lines;
    const QList<QByteArray> pieces = file.split('\n');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const bool last = i == pieces.size() - 1;
        if (last && pieces[i].isEmpty())
            break;
        QByteArray line = pieces[i];
        line.replace("\r", "");
        lines.append(QString::fromLatin1(line));
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int largestPiece = data[0] + 1;
    const QByteArray file(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const bool endMarked = file.contains('\x1a');

    commands::DownloadLines splitter;
    QStringList lines;
    const auto onLine = [&](const QString& line) { lines.append(line); };
    qsizetype at = 0;
    bool more = true;
    for (int piece = 1; at < file.size() && more; piece = piece % largestPiece + 1) {
        const QByteArrayView bytes =
            QByteArrayView(file).sliced(at, std::min<qsizetype>(piece, file.size() - at));
        at += bytes.size();
        more = splitter.take(bytes, onLine);
        require(more || QByteArrayView(file).first(at).contains('\x1a'),
                "the splitter stopped before the end mark");
    }
    require(more == !endMarked, "the splitter did not stop at the end mark");
    splitter.finish(onLine);
    splitter.finish(onLine); // a second end adds nothing

    const QStringList expected = referenceLines(file);
    require(lines == expected, "the lines differ", [&] {
        return QStringLiteral("got %1 lines, expected %2\n  got      %3\n  expected %4")
            .arg(lines.size())
            .arg(expected.size())
            .arg(fuzz::visible(lines.join(u'|')), fuzz::visible(expected.join(u'|')));
    });
    return 0;
}
