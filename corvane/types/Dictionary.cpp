#include "corvane/types/Dictionary.h"

#include "corvane/Logging.h"
#include "corvane/types/ByteOrder.h"
#include "corvane/types/NameList.h"

#include <cstring>
#include <limits>

namespace Corvane {

namespace {

constexpr const char* logCategory = logging::category::dictionary;
constexpr std::string_view tagNames =
    "tagString,tagInteger,tagDouble,tagCallback,tagPointer,tagDictionary,tagArray,tagBytes,";

// tag, key length and the key's terminator
constexpr std::uint32_t pairOverhead = 3;

static_assert(sizeof(ParameterCallback) == sizeof(void*), "callbacks are stored at pointer width");

bool refusePair(const char* why)
{
    LOG4CPLUS_ERROR(logging::logger(logCategory), why);
    return false;
}

Dictionary ownedCopy(const Dictionary& dictionary) { return dictionary; }

// Length of a key that can be stored, or 0 for keys that can never be found or stored.
std::size_t usableKeyLength(const char* key) noexcept
{
    if (key == nullptr)
        return 0;
    const std::size_t length = ::strnlen(key, Dictionary::maxKeyLength + 1);
    return length <= Dictionary::maxKeyLength ? length : 0;
}

} // namespace

Dictionary::Pair Dictionary::pairOf(VarEntry entry) noexcept
{
    const std::uint8_t keyLength = entry.data[1];
    return {entry.data[0],
            {reinterpret_cast<const char*>(entry.data + 2), keyLength},
            entry.data + pairOverhead + keyLength,
            entry.length - pairOverhead - keyLength};
}

std::string_view tagName(std::uint8_t tag) noexcept { return nameFromList(tagNames, tag); }

bool Dictionary::checkPair(const std::uint8_t* entry, std::uint32_t length)
{
    if (length < 2)
        return refusePair("Pair too small");
    if (entry[0] >= tagLimit)
        return refusePair("Illegal type in pair");
    const std::uint32_t keyLength = entry[1];
    // The terminator must lie inside the entry too: a pair that ends with its key would
    // send every reader past the entry.
    if (keyLength + pairOverhead > length)
        return refusePair("Pair too small");
    if (entry[2 + keyLength] != 0)
        return refusePair("In correct key length");
    return true;
}

bool Dictionary::validate(const std::uint8_t* bytes, std::size_t available)
{
    return VarArray::validate(bytes, available, &checkPair);
}

Dictionary Dictionary::view(const std::uint8_t* bytes, std::size_t available)
{
    Dictionary dictionary;
    dictionary.pairs_ = VarArray::view(bytes, available, &checkPair);
    return dictionary;
}

bool Dictionary::lookup(const char* key, Found& found) const noexcept
{
    const std::size_t keyLength = usableKeyLength(key);
    if (keyLength == 0)
        return false;
    std::uint32_t index = 0;
    for (VarEntry entry : pairs_) {
        if (entry.data[1] == keyLength && std::memcmp(entry.data + 2, key, keyLength) == 0) {
            found = {index, pairOf(entry)};
            return true;
        }
        ++index;
    }
    return false;
}

std::string_view Dictionary::keyAt(std::uint32_t index) const noexcept
{
    const VarEntry entry = pairs_.entry(index);
    return entry.empty() ? std::string_view{} : pairOf(entry).key;
}

bool Dictionary::hasKey(const char* key) const noexcept
{
    Found found;
    return lookup(key, found);
}

std::uint8_t Dictionary::typeOf(const char* key) const noexcept
{
    Found found;
    return lookup(key, found) ? found.pair.tag : std::uint8_t{tagBytes};
}

Dictionary::Pair Dictionary::find(const char* key) const noexcept
{
    Found found;
    return lookup(key, found) ? found.pair : Pair{};
}

const char* Dictionary::string(const char* key) const noexcept
{
    const Pair pair = find(key);
    if (pair.value == nullptr || std::memchr(pair.value, 0, pair.valueLength) == nullptr)
        return nullptr;
    return reinterpret_cast<const char*>(pair.value);
}

std::int64_t Dictionary::integer(const char* key) const noexcept
{
    const Pair pair = find(key);
    std::uint64_t value = 0;
    for (std::uint32_t i = 0; pair.value != nullptr && i < pair.valueLength && i < 8; ++i)
        value = (value << 8) | pair.value[i];
    return static_cast<std::int64_t>(value);
}

std::int32_t Dictionary::integer32(const char* key) const noexcept
{
    return static_cast<std::int32_t>(integer(key));
}

double Dictionary::real(const char* key) const noexcept
{
    const Pair pair = find(key);
    double value = 0.0;
    if (pair.value != nullptr && pair.valueLength >= sizeof value)
        std::memcpy(&value, pair.value, sizeof value);
    return value;
}

void* Dictionary::address(const char* key) const noexcept
{
    const Pair pair = find(key);
    void* value = nullptr;
    if (pair.value != nullptr && pair.valueLength >= sizeof value)
        std::memcpy(&value, pair.value, sizeof value);
    return value;
}

Dictionary Dictionary::dictionary(const char* key) const { return ownedCopy(dictionaryView(key)); }

Dictionary Dictionary::dictionaryView(const char* key) const
{
    const Pair pair = find(key);
    if (pair.valueLength == 0)
        return {};
    return view(pair.value, pair.valueLength);
}

VarArray Dictionary::array(const char* key) const
{
    const Pair pair = find(key);
    if (pair.valueLength == 0)
        return {};
    return VarArray::view(pair.value, pair.valueLength);
}

Dictionary Dictionary::arrayItem(const char* key, std::uint32_t index) const
{
    const VarEntry item = array(key).entry(index);
    if (item.empty())
        return {};
    return ownedCopy(view(item.data, item.length));
}

std::uint16_t Dictionary::arrayCount(const char* key) const { return array(key).count(); }

bool Dictionary::writePair(const char* key, std::uint8_t tag, const void* value, std::uint32_t valueLength)
{
    if (key == nullptr || *key == '\0')
        return true;
    const std::size_t keyLength = usableKeyLength(key);
    if (keyLength == 0)
        return false;
    if (valueLength > std::numeric_limits<std::uint32_t>::max() - pairOverhead - keyLength)
        return false;
    const auto length = static_cast<std::uint32_t>(pairOverhead + keyLength + valueLength);

    // memmove throughout: the key and the value may lie inside this very buffer.
    auto fill = [&](std::uint8_t* out) {
        out[0] = tag;
        out[1] = static_cast<std::uint8_t>(keyLength);
        std::memmove(out + 2, key, keyLength);
        out[2 + keyLength] = 0;
        if (valueLength > 0)
            std::memmove(out + pairOverhead + keyLength, value, valueLength);
    };
    Found found;
    if (lookup(key, found))
        return pairs_.rewriteEntry(found.index, length, fill);
    return pairs_.appendEntry(length, fill);
}

bool Dictionary::setString(const char* key, const char* value)
{
    if (key == nullptr || *key == '\0')
        return true;
    if (value == nullptr || *value == '\0') {
        // An empty string is never stored: it removes the pair instead.
        Found found;
        return lookup(key, found) && remove(found.index);
    }
    const std::size_t length = std::strlen(value) + 1;
    if (length > std::numeric_limits<std::uint32_t>::max())
        return false;
    return writePair(key, tagString, value, static_cast<std::uint32_t>(length));
}

bool Dictionary::setInteger(const char* key, std::int64_t value)
{
    std::uint8_t bytes[8];
    bytes::store64(bytes, static_cast<std::uint64_t>(value));
    return writePair(key, tagInteger, bytes, sizeof bytes);
}

bool Dictionary::setDouble(const char* key, double value)
{
    return writePair(key, tagDouble, &value, sizeof value);
}

bool Dictionary::setCallback(const char* key, ParameterCallback value)
{
    return writePair(key, tagCallback, &value, sizeof value);
}

bool Dictionary::setPointer(const char* key, const void* value)
{
    return writePair(key, tagPointer, &value, sizeof value);
}

bool Dictionary::setDictionary(const char* key, const Dictionary& value)
{
    return writePair(key, tagDictionary, value.data(), value.byteSize());
}

bool Dictionary::setArrayItem(const char* key, std::uint32_t index, const Dictionary& item)
{
    if (key == nullptr || *key == '\0')
        return true;
    if (index >= VarArray::maxEntries || usableKeyLength(key) == 0)
        return false;
    VarArray items = array(key); // a view: the first change gives it a buffer of its own
    if (!items.setSlot(index, item.data(), item.byteSize()))
        return false;
    return writePair(key, tagArray, items.data(), items.byteSize());
}

bool Dictionary::copyKey(const Dictionary& source, const char* key, const char* newKey)
{
    Found found;
    if (!source.lookup(key, found) || found.pair.tag >= tagBytes)
        return false;
    const char* target = newKey != nullptr && *newKey != '\0' ? newKey : key;
    return writePair(target, found.pair.tag, found.pair.value, found.pair.valueLength);
}

bool Dictionary::merge(const Dictionary& source)
{
    if (&source == this)
        return true; // every pair would replace itself
    bool all = true;
    for (VarEntry entry : source.pairs_) {
        const Pair pair = pairOf(entry);
        // Keys in the buffer are terminated, so the view's data is a C string.
        all = copyKey(source, pair.key.data()) && all;
    }
    return all;
}

bool Dictionary::remove(std::uint32_t index) { return pairs_.removeEntry(index); }

bool operator==(const Dictionary& a, const Dictionary& b) noexcept
{
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() && b.isEmpty();
    return a.byteSize() == b.byteSize() && std::memcmp(a.data(), b.data(), a.byteSize()) == 0;
}

Dictionary buildDictionaryV(const char* format, std::va_list arguments)
{
    Dictionary dictionary;
    for (const char* letter = format; letter != nullptr && *letter != '\0'; ++letter) {
        const char* key = va_arg(arguments, const char*);
        switch (*letter) {
        case 'I':
            dictionary.setInteger(key, va_arg(arguments, std::int64_t));
            break;
        case 'i':
            dictionary.setInteger(key, va_arg(arguments, int));
            break;
        case 's':
            dictionary.setString(key, va_arg(arguments, const char*));
            break;
        default:
            break;
        }
    }
    return dictionary;
}

Dictionary buildDictionary(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    Dictionary dictionary = buildDictionaryV(format, arguments);
    va_end(arguments);
    return dictionary;
}

} // namespace Corvane
