// Texts typed into the Channel box and the timeouts boxes: the number reading against a
// plain reading by pattern, and the Channel box taking exactly the numbers it reads.
//
// Input: [form byte][text]; the form byte's low bit reads the text as UTF-16, otherwise as
// Latin-1, so that digits of other scripts and full-width signs come up too.
#include "FuzzPlatform.h"
#include "FuzzPrompts.h"
#include "Harness.h"
#include "IntegerText.h"
#include "NumberReference.h"
#include "TerminalCore.h"

#include <cstdint>

namespace {

using fuzz::require;

QString textFrom(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return {};
    if (data[0] & 1) {
        QString text;
        for (std::size_t i = 1; i + 1 < size; i += 2)
            text += QChar(char16_t(data[i] | data[i + 1] << 8));
        return text;
    }
    return QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
}

TerminalCore& channelOwner()
{
    static FuzzPrompts prompts;
    static TerminalCore core(prompts, fuzzPlatform());
    return core;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = textFrom(data, size);
    const std::optional<qint64> number = referenceNumber(text);
    const auto shown = [&] { return fuzz::visible(text); };

    const bool isInteger = number && *number >= INT32_MIN && *number <= INT32_MAX;
    const std::optional<int> integer = integerFromText(text);
    require(integer.has_value() == isInteger, "an integer was read or refused wrongly", shown);
    require(!integer || *integer == *number, "an integer was read as another value", shown);

    const bool isPattern = number && *number >= INT32_MIN && *number <= UINT32_MAX;
    const std::optional<std::uint32_t> pattern = bitPatternFromText(text);
    require(pattern.has_value() == isPattern, "a time limit was read or refused wrongly", shown);
    require(!pattern || *pattern == std::uint32_t(*number), "a time limit was read wrongly", shown);

    // The Channel box: a number selects its link, anything else is refused with a message
    // and leaves the link as it was.
    TerminalCore& core = channelOwner();
    const int linkBefore = core.state().muxLink;
    QStringList& messages = static_cast<FuzzPrompts&>(core.prompts()).messages;
    core.shown().setChannelText(text);
    core.mux().ChannelChange();
    require(core.state().muxLink == (integer ? *integer : linkBefore), "the link differs", shown);
    require(messages.size() == (integer ? 0 : 1), "the refusal was not told", shown);
    messages.clear(); // what one input allocates, it frees: leak checks stay quiet
    return 0;
}
