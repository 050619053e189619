// Arbitrary bytes read as a reseau.dat and as a Numaut.dat: nothing is read
// beyond the bytes given, the tables stay within their limits, and what is
// written back reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "users/numbers_record.h"
#include "users/user_record.h"

static UserTable Table;
static UserTable Reread;
static NumbersTable Numbers;
static NumbersTable NumbersReread;

static void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

static void CheckUserFile(std::span<const uint8_t> bytes)
{
    UserFileHeader header;
    UserFileVerdict verdict = DecodeUserFile(bytes, header, Table);
    Check(Table.header.userCount <= MaxUsers);
    Check(verdict == UserFileVerdict::Usable || Table.header.userCount == 0);
    for (size_t i = 0; i < MaxUsers; ++i) {
        const UserRecord& r = Table.records[i];
        Check(std::memchr(r.name, 0, sizeof r.name) && std::memchr(r.password, 0, sizeof r.password));
        if (i >= Table.header.userCount)
            Check(r.name[0] == 0 && r.category == 0 && r.station == 0);
    }
    if (verdict != UserFileVerdict::Usable)
        return;
    std::vector<uint8_t> written = EncodeUserFile(header, Table, Table.header.userCount);
    UserFileHeader again;
    Check(DecodeUserFile(written, again, Reread) == UserFileVerdict::Usable);
    Check(LayoutOf(again) == UserLayout::Serveur3);
    Check(EncodeUserFile(again, Reread, Reread.header.userCount) == written);
}

static void CheckNumbersFile(std::span<const uint8_t> bytes)
{
    DecodeNumbersFile(bytes, Numbers);
    for (const NumbersRecord& r : Numbers.records) {
        Check(r.count <= MaxNumbers);
        for (const auto& number : r.numbers)
            Check(std::memchr(number, 0, kNumberSize) != nullptr);
    }
    std::vector<uint8_t> written = EncodeNumbersFile(Numbers);
    Check(written.size() == kNumbersFileSize);
    DecodeNumbersFile(written, NumbersReread);
    Check(EncodeNumbersFile(NumbersReread) == written);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> bytes(data, size);
    CheckUserFile(bytes);
    CheckNumbersFile(bytes);
    return 0;
}
