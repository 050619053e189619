#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "base/le_bytes.h"
#include "telephony/modem_entries.h"
#include "telephony/tapi_structures.h"

// Any bytes as a provider's LINEDEVCAPS and LINETRANSLATECAPS answers: nothing
// is read outside them, a name is only taken from inside the answer, and the
// growth of a buffer always ends.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> answer(data, size);
    LineDevCaps caps = DecodeLineDevCaps(answer);
    if (IsCandidateModem(caps) && (!caps.nameUsable || caps.name.empty()))
        __builtin_trap();
    if (caps.nameUsable && (caps.lineNameSize > size || caps.name.size() > caps.lineNameSize))
        __builtin_trap();

    TranslateCaps locations = DecodeTranslateCaps(answer);
    if (locations.locations.size() > size / kLocationEntrySize)
        __builtin_trap();
    for (const DialingLocation& location : locations.locations) {
        if (location.name.size() > size)
            __builtin_trap();
    }

    if (size >= 12) {
        auto result = static_cast<int32_t>(ReadU32(answer, 0));
        size_t buffer = ReadU32(answer, 4) % (2 * kMaxAnswerSize);
        uint32_t needed = ReadU32(answer, 8);
        // Follow the provider's requests as the console does: each step grows
        // the buffer, so the loop ends within the limit.
        for (int steps = 0;; ++steps) {
            AnswerStep step = NextAnswerStep(result, buffer, needed);
            if (step.kind != AnswerStep::Grow)
                break;
            if (step.nextSize <= buffer || step.nextSize > kMaxAnswerSize || steps > 64)
                __builtin_trap();
            buffer = step.nextSize;
        }
    }

    SplitKeyList(std::span(reinterpret_cast<const char*>(data), size));
    AnsiFromUtf16(answer);
    return 0;
}
