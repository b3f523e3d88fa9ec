#pragma once

#include <QString>

// What every fuzz target shares: Qt running as in the program, a scratch folder, and the
// way a broken expectation is reported.
namespace fuzz {

// Starts the Qt application the components expect, unless the target has started one of
// its own (a QApplication for widgets). The harness's LLVMFuzzerInitialize calls it; a target
// with an LLVMFuzzerInitialize of its own calls it there.
void startQt(int* argc, char*** argv);

// A folder of this fuzzing process, removed when it ends.
const QString& scratchFolder();

// Reports what went wrong and aborts, so that libFuzzer keeps the input as a crash.
[[noreturn]] void fail(const char* what, const QString& detail = {});

inline void require(bool holds, const char* what)
{
    if (!holds)
        fail(what);
}

// `detail` says what was seen; it is worked out only when the expectation fails.
template <typename Detail> void require(bool holds, const char* what, const Detail& detail)
{
    if (!holds)
        fail(what, detail());
}

// A text with every character outside printable ASCII written as \u{hex}, for reports.
QString visible(const QString& text);

} // namespace fuzz
