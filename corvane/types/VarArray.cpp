#include "corvane/types/VarArray.h"

#include "corvane/Logging.h"
#include "corvane/types/ByteOrder.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace Corvane {

namespace {


bool refuse(const char* why)
{
    LOG4CPLUS_ERROR(logging::logger(logging::category::varArray), why);
    return false;
}

memory::OwnedBytes copyBytes(const std::uint8_t* bytes, std::uint32_t size)
{
    memory::OwnedBytes copy = memory::allocateOwned(size);
    if (copy)
        std::memcpy(copy.get(), bytes, size);
    else
        LOG4CPLUS_ERROR(logging::logger(logging::category::varArray), "Cannot allocate array data");
    return copy;
}

} // namespace

VarArray::VarArray(const VarArray& other)
{
    if (!other.isEmpty())
        adopt(copyBytes(other.bytes_, other.byteSize()));
}

VarArray& VarArray::operator=(const VarArray& other)
{
    if (this == &other)
        return *this;
    if (other.isEmpty()) {
        clear();
        return *this;
    }
    if (memory::OwnedBytes copy = copyBytes(other.bytes_, other.byteSize()))
        adopt(std::move(copy));
    return *this;
}

VarArray::VarArray(VarArray&& other) noexcept
    : owned_(std::move(other.owned_)), bytes_(std::exchange(other.bytes_, nullptr))
{
}

VarArray& VarArray::operator=(VarArray&& other) noexcept
{
    if (this != &other) {
        owned_ = std::move(other.owned_);
        bytes_ = std::exchange(other.bytes_, nullptr);
    }
    return *this;
}

bool VarArray::validate(const std::uint8_t* bytes, std::size_t available, EntryCheck check)
{
    if (bytes == nullptr)
        return refuse("VarArray is NULL");
    if (available < headerSize)
        return refuse("VarArray too small");
    const std::uint32_t declared = bytes::load32(bytes);
    if (declared < headerSize || declared > available)
        return refuse("VarArray too small");

    std::uint32_t entries = bytes::load16(bytes + 4);
    std::uint32_t remaining = declared - headerSize;
    if (entries == 0 && remaining > 0)
        return refuse("Array contains non-entry data");
    if (entries > 0 && remaining == 0)
        return refuse("Array contains no data");

    const std::uint8_t* cursor = bytes + headerSize;
    for (; entries > 0; --entries) {
        if (remaining < entryHeaderSize)
            return refuse("Array too small");
        const std::uint32_t length = bytes::load32(cursor);
        remaining -= entryHeaderSize;
        if (length > remaining)
            return refuse("Array too small");
        if (check != nullptr && !check(cursor + entryHeaderSize, length))
            return false;
        cursor += entryHeaderSize + length;
        remaining -= length;
    }
    if (remaining != 0)
        return refuse("Array contains non-entry data");
    return true;
}

VarArray VarArray::view(const std::uint8_t* bytes, std::size_t available, EntryCheck check)
{
    VarArray array;
    // A valid header with no entries is the same array as no buffer at all.
    if (validate(bytes, available, check) && bytes::load16(bytes + 4) != 0)
        array.bytes_ = bytes;
    return array;
}

VarEntry VarArray::entry(std::uint32_t index) const noexcept
{
    if (index >= count())
        return {};
    const std::uint8_t* at = bytes_ + offsetOf(index);
    return {at + entryHeaderSize, bytes::load32(at)};
}

std::uint32_t VarArray::offsetOf(std::uint32_t index) const noexcept
{
    if (bytes_ == nullptr)
        return headerSize;
    std::uint32_t offset = headerSize;
    for (std::uint32_t i = 0; i < index; ++i)
        offset += entryHeaderSize + bytes::load32(bytes_ + offset);
    return offset;
}

bool VarArray::appendEntry(const std::uint8_t* bytes, std::uint32_t length)
{
    return appendEntry(length, [&](std::uint8_t* destination) { std::memmove(destination, bytes, length); });
}

bool VarArray::setSlot(std::uint32_t index, const std::uint8_t* bytes, std::uint32_t length)
{
    auto copy = [&](std::uint8_t* destination) { std::memmove(destination, bytes, length); };
    const std::uint32_t entries = count();
    if (index >= entries) {
        if (length == 0)
            return true; // clearing a slot that does not exist
        return splice(entries, 0, index + 1 - entries, length, &invokeFill<decltype(copy)>, &copy);
    }
    if (length == 0) {
        const std::uint32_t keep = entriesKeptWithout(index);
        if (keep <= index) // the slot was the last one in use: cut the array after `keep`
            return splice(keep, entries - keep, 0, 0, nullptr, nullptr);
    }
    return rewriteEntry(index, length, copy) && dropTrailingEmpty();
}

bool VarArray::removeEntry(std::uint32_t index)
{
    const std::uint32_t entries = count();
    if (index >= entries)
        return false;
    const std::uint32_t keep = entriesKeptWithout(index);
    if (keep <= index) // nothing worth keeping follows the removed entry
        return splice(keep, entries - keep, 0, 0, nullptr, nullptr);
    return splice(index, 1, 0, 0, nullptr, nullptr) && dropTrailingEmpty();
}

std::uint32_t VarArray::entriesKeptWithout(std::uint32_t index) const noexcept
{
    std::uint32_t keep = 0;
    std::uint32_t i = 0;
    for (VarEntry e : *this) {
        if (i != index && !e.empty())
            keep = i + 1;
        ++i;
    }
    return keep;
}

bool VarArray::dropTrailingEmpty()
{
    const std::uint32_t entries = count();
    const std::uint32_t keep = entriesKeptWithout(entries);
    return keep == entries || splice(keep, entries - keep, 0, 0, nullptr, nullptr);
}

void VarArray::clear() noexcept
{
    owned_.reset();
    bytes_ = nullptr;
}

void VarArray::adopt(memory::OwnedBytes buffer) noexcept
{
    bytes_ = buffer.get();
    owned_ = std::move(buffer);
}

bool VarArray::splice(std::uint32_t first, std::uint32_t removed, std::uint32_t added, std::uint32_t lastLength,
                      FillFunction fill, void* context)
{
    const std::uint32_t entries = count();
    if (first > entries || removed > entries - first)
        return false;

    const std::uint32_t begin = offsetOf(first);
    const std::uint32_t end = removed == 0 ? begin : offsetOf(first + removed);

    // The common rewrite of one entry whose length stays: no allocation at all.
    if (owned_ && removed == 1 && added == 1 && bytes::load32(bytes_ + begin) == lastLength) {
        if (lastLength > 0)
            fill(owned_.get() + begin + entryHeaderSize, context);
        return true;
    }

    const std::uint64_t newCount = std::uint64_t{entries} - removed + added;
    if (newCount > maxEntries)
        return false;
    if (newCount == 0) {
        clear();
        return true;
    }

    const std::uint32_t oldSize = bytes_ ? byteSize() : headerSize;
    const std::uint64_t newSize = std::uint64_t{oldSize} - (end - begin) + std::uint64_t{added} * entryHeaderSize +
                                  (added > 0 ? lastLength : 0);
    if (newSize > std::numeric_limits<std::uint32_t>::max())
        return false;

    memory::OwnedBytes buffer = memory::allocateOwned(newSize);
    if (!buffer)
        return false;

    std::uint8_t* out = buffer.get();
    bytes::store32(out, static_cast<std::uint32_t>(newSize));
    bytes::store16(out + 4, static_cast<std::uint16_t>(newCount));
    if (bytes_)
        std::memcpy(out + headerSize, bytes_ + headerSize, begin - headerSize);
    std::uint8_t* cursor = out + begin;
    for (std::uint32_t i = 0; i < added; ++i) {
        const bool last = i + 1 == added;
        bytes::store32(cursor, last ? lastLength : 0);
        cursor += entryHeaderSize;
        if (last && lastLength > 0) {
            fill(cursor, context);
            cursor += lastLength;
        }
    }
    if (bytes_)
        std::memcpy(cursor, bytes_ + end, oldSize - end);

    adopt(std::move(buffer)); // the old buffer goes only now: `fill` may have read from it
    return true;
}

std::string VarArray::toString() const
{
    std::string text = "#" + std::to_string(count()) + "(";
    bool first = true;
    for (VarEntry e : *this) {
        if (!first)
            text += ' ';
        first = false;
        if (e.empty()) {
            text += "#f";
            continue;
        }
        text += "#x";
        for (std::uint32_t i = 0; i < e.length; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", e.data[i]);
            text += hex;
        }
    }
    text += ')';
    return text;
}

} // namespace Corvane
