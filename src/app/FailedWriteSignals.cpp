#include "FailedWriteSignals.h"

#include <csignal>

namespace {
constexpr int ignoredSignals[] = {SIGXFSZ, SIGPIPE};
}

void ignoreSignalsOfFailedWrites()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (const int signal : ignoredSignals)
        ::sigaction(signal, &ignore, nullptr);
}
