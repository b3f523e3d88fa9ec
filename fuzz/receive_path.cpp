// Received bytes and display options in, terminal lines and capture records out: the real
// receive path (a terminal core reading through the serial driver from a device in memory)
// against the plain reference of ReceiveReference.
//
// Input: chunks of [options byte][length byte][length bytes]. Each chunk sets the options
// (bits: hex, unreadable, add linefeed, echo, log, timestamp, date stamp, small tick budget),
// then arrives on the line and is taken in by receive ticks; the clock moves on one second
// between chunks, across a midnight and a new year.
#include "FuzzPlatform.h"
#include "FuzzPrompts.h"
#include "Harness.h"
#include "ReceiveReference.h"
#include "TerminalCore.h"

#include <QFile>
#include <cstdint>
#include <functional>

namespace {

using fuzz::require;
using fuzz::visible;

ReceiveOptions optionsFrom(std::uint8_t bits)
{
    return {bool(bits & 0x01), bool(bits & 0x02), bool(bits & 0x04), bool(bits & 0x08),
            bool(bits & 0x10), bool(bits & 0x20), bool(bits & 0x40)};
}

QString captureFile() { return fuzz::scratchFolder() + QStringLiteral("/capture.csv"); }

// A terminal started on COM1, whose device serves what `line` carries.
class ReceivingTerminal {
public:
    ReceivingTerminal() : core(prompts, fuzzPlatform(line, [this] { return now; }))
    {
        prompts.logFile = captureFile();
        core.startUp().FormShow();
        require(core.io().isOpen(), "COM1 did not open",
                [&] { return core.io().lastOpenFailure(); });
    }

    void set(const ReceiveOptions& options)
    {
        setOption(&TerminalState::HexMode, options.hex, [this] { core.options().HexModeClick(); });
        setOption(&TerminalState::Unreadable1, options.unreadable,
                  [this] { core.options().Unreadable1Click(); });
        setOption(&TerminalState::AddLinefeedton1, options.addLinefeed,
                  [this] { core.options().AddLinefeedton1Click(); });
        setOption(&TerminalState::Echo1, options.echo, [this] { core.options().Echo1Click(); });
        setOption(&TerminalState::Log1, options.log, [this] { core.capture().Log1Click(); });
        setOption(&TerminalState::Timestamp1, options.timestamp,
                  [this] { core.options().Timestamp1Click(); });
        setOption(&TerminalState::DateStamp1, options.dateStamp,
                  [this] { core.options().DateStamp1Click(); });
    }

    // Ticks until every byte on the line has been taken, those the receiver was handed in a
    // block and a tick left for the next one included; each tick takes at least one.
    void takeIn(const QByteArray& bytes)
    {
        line->send(bytes);
        const auto busy = [&] { return line->waiting() > 0 || core.receiver().holdsUntakenBytes(); };
        for (qsizetype ticks = 0; busy(); ++ticks) {
            require(ticks <= bytes.size(), "a receive tick took nothing from a busy line");
            core.receiver().Timer1Timer();
        }
    }

    FuzzPrompts prompts;
    std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>();
    QDateTime now{QDate(2026, 12, 31), QTime(23, 59, 50)};
    TerminalCore core;

private:
    void setOption(bool TerminalState::*flag, bool wanted, const std::function<void()>& click)
    {
        if (core.state().*flag != wanted)
            click();
        require(core.state().*flag == wanted, "an option did not take its value");
    }
};

void compareLines(TerminalCore& core, const ReceiveReference& reference)
{
    const TerminalLines& lines = core.lines();
    const QStringList& expected = reference.lines();
    require(lines.count() == expected.size(), "the terminal holds another number of lines", [&] {
        return QStringLiteral("%1 lines, expected %2").arg(lines.count()).arg(expected.size());
    });
    qsizetype widest = 0;
    for (int i = 0; i < lines.count(); ++i) {
        const QString line = lines.line(i);
        require(line == expected.at(i), "a terminal line differs", [&] {
            return QStringLiteral("line %1:\n  shown    %2\n  expected %3")
                .arg(i)
                .arg(visible(line), visible(expected.at(i)));
        });
        require(lines.lineLength(i) == line.size(), "a line's length differs from its text");
        const qsizetype from = line.size() / 3;
        require(lines.slice(i, from, 7) == line.mid(from, 7), "a slice differs from the line");
        widest = qMax(widest, line.size());
    }
    require(lines.widestLine() >= widest, "the widest line is narrower than a line");
    // The view publishes the list's changes once a frame; here, once at the end.
    core.list().publish();
    require(core.list().rowCount() == lines.count(), "the list model shows another number of rows");
}

void compareCapture(const ReceiveReference& reference)
{
    QFile file(captureFile());
    const QByteArray written = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    require(written == reference.capture(), "the capture file differs", [&] {
        return QStringLiteral("written:\n%1\nexpected:\n%2")
            .arg(visible(QString::fromUtf8(written)),
                 visible(QString::fromUtf8(reference.capture())));
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QFile::remove(captureFile());
    ReceivingTerminal terminal;
    ReceiveReference reference;
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::uint8_t optionBits = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        const QByteArray bytes(reinterpret_cast<const char*>(data + at + 2), qsizetype(length));
        at += 2 + length;

        const ReceiveOptions options = optionsFrom(optionBits);
        terminal.set(options);
        terminal.core.receiver().setTickBudget(optionBits & 0x80 ? Receiver::TickBudget{0}
                                                                 : Receiver::TickBudget{});
        terminal.takeIn(bytes);
        reference.receive(bytes, options, terminal.now);
        terminal.now = terminal.now.addSecs(1);
    }
    compareLines(terminal.core, reference);
    require(terminal.core.shown().macItems() == reference.addresses(),
            "the MAC box lists other addresses", [&] {
                return visible(terminal.core.shown().macItems().join(u'|')) +
                       QStringLiteral(" expected ") + visible(reference.addresses().join(u'|'));
            });
    compareCapture(reference);
    return 0;
}
