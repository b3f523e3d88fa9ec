#pragma once

#include "CoreFixture.h"
#include "QtPrinters.h"
#include "WireForms.h"

// A terminal on COM1 with a module plugged in, for tests of what goes out. Options start
// off and no link is chosen.
class SendFixture : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        module = &startOn(1);
        core->preset(&TerminalState::muxLink, -1);
        clock.forget();
    }

    // The bytes written since the last call, as the module received them. They must be
    // the bytes the driver wrote, no more and no fewer.
    QByteArray sent()
    {
        const QByteArray written = clock.writtenBytes();
        clock.forget();
        QByteArray arrived = module->readExactly(written.size());
        arrived += module->read(20);
        EXPECT_EQ(arrived, written) << "the line lost or added bytes";
        return arrived;
    }

    PtyPeer* module = nullptr;
};
