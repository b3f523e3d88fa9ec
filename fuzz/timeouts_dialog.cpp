// The five boxes of the timeouts dialog: texts in, the port's time limits out. When every
// box holds a number, the port takes each as its 32-bit pattern, the read interval and the
// read multiplier at least 1 (their boxes then show 1); otherwise the first box that is not
// a number is reported with its text and the port keeps its limits.
//
// Input: the five texts, Latin-1, separated by LF bytes.
#include "FuzzPlatform.h"
#include "FuzzPrompts.h"
#include "Harness.h"
#include "IntegerText.h"
#include "NumberReference.h"
#include "Timeouts.h"

#include <QApplication>
#include <QLineEdit>
#include <array>
#include <cstdint>

namespace {

using fuzz::require;

struct Box {
    const char* name;
    std::uint32_t CommTimeouts::*field;
    bool atLeastOne;
};

constexpr std::array<Box, TSettings::boxCount> boxes{{
    {"ReadInterval", &CommTimeouts::ReadIntervalTimeout, true},
    {"ReadTotal", &CommTimeouts::ReadTotalTimeoutMultiplier, true},
    {"ReadTotalConstant", &CommTimeouts::ReadTotalTimeoutConstant, false},
    {"WriteTotal", &CommTimeouts::WriteTotalTimeoutMultiplier, false},
    {"WriteTotalConstant", &CommTimeouts::WriteTotalTimeoutConstant, false},
}};

// A terminal on its memory COM1 and the dialog over a window, made once: a dialog costs
// far more to build than to use.
struct DialogOnPort {
    DialogOnPort() : core(prompts, fuzzPlatform()), dialog(core.io(), prompts, &window)
    {
        core.startUp().FormShow();
        require(core.io().isOpen(), "COM1 did not open");
    }

    QLineEdit& box(int i) { return *dialog.findChild<QLineEdit*>(QLatin1String(boxes[i].name)); }

    FuzzPrompts prompts;
    TerminalCore core;
    QWidget window;
    TSettings dialog;
};

DialogOnPort& dialogOnPort()
{
    static DialogOnPort* const bench = new DialogOnPort;
    return *bench;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv); // lives to the end of the process
    fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList texts =
        QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size))
            .split(QLatin1Char('\n'));
    DialogOnPort& on = dialogOnPort();
    const CommTimeouts before = on.core.io().timeouts();
    for (int i = 0; i < TSettings::boxCount; ++i)
        on.box(i).setText(i < texts.size() ? texts[i] : QString());
    on.dialog.SetitClick();

    CommTimeouts expected = before;
    std::optional<QString> refused; // the text of the first box that is not a number
    std::array<bool, TSettings::boxCount> raised{};
    for (int i = 0; i < TSettings::boxCount && !refused; ++i) {
        const QString text = i < texts.size() ? texts[i] : QString();
        const std::optional<qint64> number = referenceNumber(text);
        if (!number || *number < INT32_MIN || *number > UINT32_MAX) {
            refused = text;
            break;
        }
        std::uint32_t value = std::uint32_t(*number);
        raised[i] = boxes[i].atLeastOne && value == 0;
        expected.*boxes[i].field = raised[i] ? 1 : value;
    }
    if (refused) {
        expected = before;
        raised = {}; // nothing is raised before every box has been read
    }

    const auto shown = [&] { return fuzz::visible(texts.join(QStringLiteral(" | "))); };
    require(on.core.io().timeouts() == expected, "the port's time limits differ", shown);
    const QStringList wantedMessages =
        refused ? QStringList{notAnIntegerMessage(*refused)} : QStringList();
    require(on.prompts.messages == wantedMessages, "the refusal differs", shown);
    for (int i = 0; i < TSettings::boxCount; ++i)
        require(!raised[i] || on.box(i).text() == QLatin1String("1"),
                "a raised limit does not show 1", shown);
    on.prompts.messages.clear(); // what one input allocates, it frees: leak checks stay quiet
    return 0;
}
