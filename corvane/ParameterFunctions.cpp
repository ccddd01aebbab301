// The flat client functions over parameter records.

#include "corvane/Corvane.h"
#include "corvane/ParameterRecord.h"
#include "corvane/types/Allocation.h"

#include <cstring>

namespace Corvane {

namespace {

bool isEmptyKey(const char* key) noexcept { return key == nullptr || *key == '\0'; }

bool isOverlongKey(const char* key) noexcept
{
    return ::strnlen(key, Dictionary::maxKeyLength + 1) > Dictionary::maxKeyLength;
}

// The checks every setter makes before it touches the record, in their order.
ErrorCode checkWrite(CvParameters* record, const char* key, Dictionary*& target) noexcept
{
    CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    if (isEmptyKey(key))
        return cErrorEmptyKey;
    if (isOverlongKey(key))
        return cErrorInvalidParameters; // its length byte could not hold it
    target = &checked->dictionary;
    return cNoError;
}

// A writer said no: either the dictionary is full and the key would be a new one, or
// memory ran out.
ErrorCode writeFailure(const Dictionary& target, const char* key) noexcept
{
    if (target.count() == VarArray::maxEntries && !target.hasKey(key))
        return cErrorInvalidParameters;
    return cErrorOutOfMemory;
}

template <class Write>
ErrorCode write(CvParameters* record, const char* key, Write&& writeValue)
{
    Dictionary* target = nullptr;
    if (const ErrorCode e = checkWrite(record, key, target); e != cNoError)
        return e;
    return writeValue(*target) ? cNoError : writeFailure(*target, key);
}

// The checks every getter makes, in their order; `found` is the pair under the key.
ErrorCode checkRead(const CvParameters* record, const char* key, const Dictionary*& source) noexcept
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    if (isEmptyKey(key))
        return cErrorEmptyKey;
    source = &checked->dictionary;
    return source->hasKey(key) ? cNoError : cErrorKeyNotFound;
}

// Hands a copy of a nested dictionary (a view into the record) to the caller.
ErrorCode giveCopy(const Dictionary& nested, CvParameters** out)
{
    if (out == nullptr)
        return cNoError;
    *out = nullptr;
    Dictionary copy = nested;
    if (copy.isEmpty())
        return cErrorOutOfMemory;
    *out = record::allocate(std::move(copy));
    return *out != nullptr ? cNoError : cErrorOutOfMemory;
}

} // namespace

CvParameters* newParameters() { return record::allocate({}); }

ErrorCode copyParameters(const CvParameters* source, CvParameters** copy)
{
    const CvParameters* checked = record::checked(source);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    if (copy == nullptr)
        return cNoError;
    *copy = nullptr;
    Dictionary values = checked->dictionary;
    if (values.isEmpty() && !checked->dictionary.isEmpty())
        return cErrorOutOfMemory;
    *copy = record::allocate(std::move(values));
    return *copy != nullptr ? cNoError : cErrorOutOfMemory;
}

bool deleteParameters(CvParameters* record)
{
    CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return false;
    record::release(checked);
    return true;
}

char* parametersToString(const CvParameters* record)
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return nullptr;
    const Dictionary& values = checked->dictionary;
    if (!values.isEmpty() && !Dictionary::validate(values.data(), values.byteSize()))
        return nullptr;
    const std::string text = values.toString();
    if (text.empty())
        return nullptr;
    auto* copy = reinterpret_cast<char*>(memory::allocate(text.size() + 1));
    if (copy != nullptr)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

ErrorCode keyCount(const CvParameters* record, int* count)
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    if (count != nullptr)
        *count = checked->dictionary.count();
    return cNoError;
}

ErrorCode keyAt(const CvParameters* record, int index, char* buffer, std::size_t bufferSize)
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    if (index < 0 || index >= checked->dictionary.count())
        return cErrorKeyNotFound;
    if (buffer == nullptr)
        return cNoError;
    const std::string_view key = checked->dictionary.keyAt(static_cast<std::uint32_t>(index));
    if (key.size() >= bufferSize)
        return cErrorBufferTooSmall;
    std::memcpy(buffer, key.data(), key.size());
    buffer[key.size()] = '\0';
    return cNoError;
}

ErrorCode hasKey(const CvParameters* record, const char* key)
{
    const CvParameters* checked = record::checked(record);
    if (checked == nullptr)
        return cErrorInvalidParameters;
    return checked->dictionary.hasKey(key) ? cNoError : cErrorKeyNotFound;
}

ErrorCode setString(CvParameters* record, const char* key, const char* text)
{
    return write(record, key, [&](Dictionary& d) { return d.setString(key, text); });
}

ErrorCode setInteger(CvParameters* record, const char* key, std::int64_t value)
{
    return write(record, key, [&](Dictionary& d) { return d.setInteger(key, value); });
}

ErrorCode setDouble(CvParameters* record, const char* key, double value)
{
    return write(record, key, [&](Dictionary& d) { return d.setDouble(key, value); });
}

ErrorCode setCallback(CvParameters* record, const char* key, ParameterCallback callback)
{
    return write(record, key, [&](Dictionary& d) { return d.setCallback(key, callback); });
}

ErrorCode setPointer(CvParameters* record, const char* key, void* address)
{
    return write(record, key, [&](Dictionary& d) { return d.setPointer(key, address); });
}

ErrorCode setDictionary(CvParameters* record, const char* key, const CvParameters* value)
{
    Dictionary* target = nullptr;
    if (const ErrorCode e = checkWrite(record, key, target); e != cNoError)
        return e;
    const CvParameters* checkedValue = record::checked(value);
    if (checkedValue == nullptr)
        return cErrorInvalidParameters;
    return target->setDictionary(key, checkedValue->dictionary) ? cNoError : writeFailure(*target, key);
}

ErrorCode setArrayItem(CvParameters* record, const char* key, int index, const CvParameters* value)
{
    Dictionary* target = nullptr;
    if (const ErrorCode e = checkWrite(record, key, target); e != cNoError)
        return e;
    const CvParameters* checkedValue = record::checked(value);
    if (value != nullptr && checkedValue == nullptr)
        return cErrorInvalidParameters;
    // An array holds at most 65535 slots: slot 65535 would be one too many.
    if (index < 0 || static_cast<std::uint32_t>(index) >= VarArray::maxEntries)
        return cErrorInvalidParameters;
    const Dictionary empty;
    const Dictionary& item = checkedValue != nullptr ? checkedValue->dictionary : empty;
    return target->setArrayItem(key, static_cast<std::uint32_t>(index), item) ? cNoError : writeFailure(*target, key);
}

ErrorCode getString(const CvParameters* record, const char* key, const char** text)
{
    const Dictionary* source = nullptr;
    if (const ErrorCode e = checkRead(record, key, source); e != cNoError)
        return e;
    const char* value = source->string(key);
    if (value == nullptr)
        return cErrorValueTypeMismatch; // no terminator inside the pair: reading it would overrun
    if (text != nullptr)
        *text = value;
    return cNoError;
}

ErrorCode getInteger(const CvParameters* record, const char* key, std::int64_t* value)
{
    const Dictionary* source = nullptr;
    if (const ErrorCode e = checkRead(record, key, source); e != cNoError)
        return e;
    if (value != nullptr)
        *value = source->integer(key);
    return cNoError;
}

ErrorCode getDouble(const CvParameters* record, const char* key, double* value)
{
    const Dictionary* source = nullptr;
    if (const ErrorCode e = checkRead(record, key, source); e != cNoError)
        return e;
    if (value != nullptr)
        *value = source->real(key);
    return cNoError;
}

ErrorCode getDictionary(const CvParameters* record, const char* key, CvParameters** value)
{
    const Dictionary* source = nullptr;
    if (const ErrorCode e = checkRead(record, key, source); e != cNoError)
        return e;
    const Dictionary nested = source->dictionaryView(key);
    if (nested.isEmpty())
        return cErrorKeyNotFound;
    return giveCopy(nested, value);
}

ErrorCode getArrayItem(const CvParameters* record, const char* key, int index, CvParameters** value)
{
    const Dictionary* source = nullptr;
    if (const ErrorCode e = checkRead(record, key, source); e != cNoError)
        return e;
    const VarEntry slot = index < 0 ? VarEntry{} : source->array(key).entry(static_cast<std::uint32_t>(index));
    const Dictionary item = slot.empty() ? Dictionary{} : Dictionary::view(slot.data, slot.length);
    if (item.isEmpty())
        return cErrorNoSuchItem;
    return giveCopy(item, value);
}

ErrorCode getPointer(const CvParameters* record, const char* key, void** address)
{
    const Dictionary* source = nullptr;
    if (const ErrorCode e = checkRead(record, key, source); e != cNoError)
        return e;
    if (address != nullptr)
        *address = source->address(key);
    return cNoError;
}

} // namespace Corvane
