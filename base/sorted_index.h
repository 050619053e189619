// The record order of the journal's text columns.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Fills `index` with the record numbers 0 to count - 1 in the order of their
// keys. The key of record k is the zero-terminated text at
// keyInRecord0 + k * recordSize. Keys are compared byte by byte as signed
// 8-bit values, the terminating zero taking part: the bytes 0x80 to 0xFF (the
// accented letters) come before the end of a text and before every ASCII
// character. Records with equal keys come in decreasing record order.
//
// At most recordSize bytes of a key are read, and none past its terminator:
// each key must be terminated within its record, or start its record (a key
// array whose slots are recordSize bytes). A key with no terminator in its
// recordSize bytes ends there. A count of 0 or less gives an empty index.
void BuildSortedIndex(std::vector<int>& index, const uint8_t* keyInRecord0, size_t recordSize, int count);

// The comparison of two keys in that order: negative, 0 or positive.
int CompareSignedKeys(const uint8_t* a, const uint8_t* b, size_t limit);
