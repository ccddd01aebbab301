#pragma once
// A string-keyed dictionary of typed values held in one VarArray, so that a whole
// dictionary, nested dictionaries and arrays of dictionaries included, is copied with one
// allocation and embedded in another as a plain byte run. Each entry is one pair:
//
//   u8 tag | u8 key length K | K key bytes | 0x00 | value
//
// Values: string (characters and 0x00), integer (i64 big-endian), double and addresses
// (host order, as they never leave the process), dictionary or array (their buffers).
// Lookups are linear scans: dictionaries hold tens of pairs and stay in cache.

#include "corvane/ParameterCallback.h"
#include "corvane/types/VarArray.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Corvane {

enum Tag : std::uint8_t {
    tagString = 0,
    tagInteger = 1,
    tagDouble = 2,
    tagCallback = 3,
    tagPointer = 4,
    tagDictionary = 5,
    tagArray = 6,
    tagBytes = 7, // reserved: validation accepts it, no operation creates it
};
constexpr std::uint8_t tagLimit = 8;

// "tagString" ... "tagBytes"; an empty view for values past the list.
std::string_view tagName(std::uint8_t tag) noexcept;

class Dictionary {
public:
    static constexpr std::size_t maxKeyLength = 255;

    // One pair as it lies in the buffer.
    struct Pair {
        std::uint8_t tag = tagBytes;
        std::string_view key;
        const std::uint8_t* value = nullptr;
        std::uint32_t valueLength = 0;
    };

    Dictionary() noexcept = default;

    // A view over bytes that pass validation (at most `available` are read); an empty
    // dictionary, with the reason logged, when they do not. The view stays valid as long
    // as the bytes do; changing it gives the dictionary a buffer of its own.
    static Dictionary view(const std::uint8_t* bytes, std::size_t available);
    static bool validate(const std::uint8_t* bytes, std::size_t available);
    // The pair rule of validation, for one entry.
    static bool checkPair(const std::uint8_t* entry, std::uint32_t length);

    const std::uint8_t* data() const noexcept { return pairs_.data(); }
    std::uint32_t byteSize() const noexcept { return pairs_.byteSize(); }
    const VarArray& pairs() const noexcept { return pairs_; }
    // The pair held by one entry of pairs().
    static Pair pairOf(VarEntry entry) noexcept;

    std::uint16_t count() const noexcept { return pairs_.count(); }
    bool isEmpty() const noexcept { return pairs_.isEmpty(); }
    // The key at `index`; an empty view when out of range.
    std::string_view keyAt(std::uint32_t index) const noexcept;
    bool hasKey(const char* key) const noexcept;
    // The tag stored under `key`; tagBytes when the key is empty or absent.
    std::uint8_t typeOf(const char* key) const noexcept;
    // The pair under `key`, or a pair with a null value when absent.
    Pair find(const char* key) const noexcept;

    // Readers do not check the stored tag: they read the value bytes as the type asked
    // for, and answer a neutral value for absent keys.

    // The characters of the value; null when absent or when the value bytes hold no
    // terminator, so a caller never reads past the pair.
    const char* string(const char* key) const noexcept;
    // Up to 8 value bytes, big-endian.
    std::int64_t integer(const char* key) const noexcept;
    std::int32_t integer32(const char* key) const noexcept;
    double real(const char* key) const noexcept;
    void* address(const char* key) const noexcept;
    Dictionary dictionary(const char* key) const;
    // A view into this dictionary's buffer: valid until this dictionary changes.
    Dictionary dictionaryView(const char* key) const;
    // A view into this dictionary's buffer: valid until this dictionary changes.
    VarArray array(const char* key) const;
    Dictionary arrayItem(const char* key, std::uint32_t index) const;
    std::uint16_t arrayCount(const char* key) const;

    // Writers return true on success and true, changing nothing, for an empty key. They
    // return false, leaving the dictionary as it was, when memory runs out, when the key
    // is longer than 255 characters or when a new pair would be the 65536th.
    bool setString(const char* key, const char* value);
    bool setInteger(const char* key, std::int64_t value);
    bool setDouble(const char* key, double value);
    bool setCallback(const char* key, ParameterCallback value);
    bool setPointer(const char* key, const void* value);
    bool setDictionary(const char* key, const Dictionary& value);
    // `item` goes into slot `index` (below 65535) of the array under `key`; an empty
    // item empties the slot, and empty slots at the end of the array are dropped.
    bool setArrayItem(const char* key, std::uint32_t index, const Dictionary& item);

    // Copies the pair under `key` in `source` (tags 0 to 6) here, under `newKey` when
    // one is given. False when the source lacks the key or holds a reserved tag.
    bool copyKey(const Dictionary& source, const char* key, const char* newKey = nullptr);
    // copyKey for every key of `source`, in its order.
    bool merge(const Dictionary& source);

    bool remove(std::uint32_t index);
    void clear() noexcept { pairs_.clear(); }

    // "(dict (key value) ...)", the form of the log lines and of the client's text.
    std::string toString() const;

    friend bool operator==(const Dictionary& a, const Dictionary& b) noexcept;

private:
    struct Found {
        std::uint32_t index = 0;
        Pair pair;
    };
    bool lookup(const char* key, Found& found) const noexcept;
    bool writePair(const char* key, std::uint8_t tag, const void* value, std::uint32_t valueLength);

    VarArray pairs_;
};

// Builds a dictionary from a format string: for each letter the arguments give a key and
// then, for 'I' an std::int64_t, for 'i' an int (widened with its sign), for 's' a
// string; any other letter takes only the key and adds nothing.
Dictionary buildDictionary(const char* format, ...);
Dictionary buildDictionaryV(const char* format, std::va_list arguments);

} // namespace Corvane
