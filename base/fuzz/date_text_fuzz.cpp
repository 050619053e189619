#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "base/date_text.h"

// Two texts from the input, split at its first byte '|', each in a block of
// exactly its length so that a read past its end is caught.
static std::unique_ptr<char[]> Text(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = 0;
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const void* bar = std::memchr(data, '|', size);
    size_t split = bar ? static_cast<size_t>(static_cast<const uint8_t*>(bar) - data) : size;
    auto a = Text(data, split);
    auto b = bar ? Text(data + split + 1, size - split - 1) : Text(data, 0);

    int fields[6];
    ParseDateTime(a.get(), fields);
    int notAfter = DateNotAfter(a.get(), b.get());
    int notBefore = DateNotAfter(b.get(), a.get());
    if ((notAfter != 0 && notAfter != 1) || (notBefore != 0 && notBefore != 1))
        __builtin_trap();
    if (!notAfter && !notBefore)  // one of the two always comes first
        __builtin_trap();
    if (DateNotAfter(a.get(), a.get()) != 1)
        __builtin_trap();
    return 0;
}
