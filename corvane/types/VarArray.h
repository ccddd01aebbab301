#pragma once
// A length-prefixed buffer of variable-size entries:
//
//   offset 0  u32 BE  total size of the buffer, this field included
//   offset 4  u16 BE  number of entries
//   offset 6  entries: u32 BE length L, then L bytes (L = 0 is an empty slot)
//
// An empty array has no buffer at all. The object either owns its buffer or views bytes
// that live inside somebody else's buffer; a view is never freed, and changing it first
// gives the object a buffer of its own.

#include "corvane/types/Allocation.h"
#include "corvane/types/ByteOrder.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <type_traits>

namespace Corvane {

// One entry of a VarArray: a run of bytes inside the array's buffer.
struct VarEntry {
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;

    bool empty() const noexcept { return length == 0; }
};

class VarArray {
public:
    static constexpr std::uint32_t headerSize = 6;
    static constexpr std::uint32_t entryHeaderSize = 4;
    static constexpr std::uint32_t maxEntries = 65535;

    // Checks one entry during validation; it logs its own complaint when it refuses.
    using EntryCheck = bool (*)(const std::uint8_t* entry, std::uint32_t length);

    VarArray() noexcept = default;
    // Deep copy into one owned buffer. When memory runs out the copy is empty.
    VarArray(const VarArray& other);
    // Leaves this array as it was when memory runs out.
    VarArray& operator=(const VarArray& other);
    VarArray(VarArray&& other) noexcept;
    VarArray& operator=(VarArray&& other) noexcept;
    ~VarArray() = default;

    // Reads at most `available` bytes. On failure logs why and returns false.
    static bool validate(const std::uint8_t* bytes, std::size_t available, EntryCheck check = nullptr);
    // A view over validated bytes; empty when they fail validation. The view stays
    // valid as long as the bytes do.
    static VarArray view(const std::uint8_t* bytes, std::size_t available, EntryCheck check = nullptr);

    const std::uint8_t* data() const noexcept { return bytes_; }
    std::uint32_t byteSize() const noexcept { return bytes_ ? bytes::load32(bytes_) : 0; }
    std::uint16_t count() const noexcept { return bytes_ ? bytes::load16(bytes_ + 4) : 0; }
    bool isEmpty() const noexcept { return count() == 0; }
    bool isOwned() const noexcept { return owned_ != nullptr; }

    // The entry at `index`; an empty entry when out of range.
    VarEntry entry(std::uint32_t index) const noexcept;

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = VarEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = const VarEntry*;
        using reference = VarEntry;

        Iterator() noexcept = default;
        Iterator(const std::uint8_t* cursor, std::uint32_t remaining) noexcept
            : cursor_(cursor), remaining_(remaining)
        {
        }

        VarEntry operator*() const noexcept { return {cursor_ + entryHeaderSize, bytes::load32(cursor_)}; }
        Iterator& operator++() noexcept
        {
            cursor_ += entryHeaderSize + bytes::load32(cursor_);
            --remaining_;
            return *this;
        }
        Iterator operator++(int) noexcept
        {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const noexcept { return remaining_ == other.remaining_; }

    private:
        const std::uint8_t* cursor_ = nullptr;
        std::uint32_t remaining_ = 0; // entries from the cursor to the end
    };
    Iterator begin() const noexcept
    {
        return bytes_ ? Iterator{bytes_ + headerSize, count()} : Iterator{};
    }
    Iterator end() const noexcept { return {}; }

    // Writers. Each returns false and leaves the array as it was when memory runs out
    // or when the result would not fit the format (65535 entries, 4 GiB).

    // Replaces entry `index` by `length` bytes that `fill` writes. In place when the
    // buffer is owned and the length stays; `fill` runs while the old bytes still exist,
    // so it may copy from them.
    template <class Fill>
    bool rewriteEntry(std::uint32_t index, std::uint32_t length, Fill&& fill)
    {
        if (index >= count())
            return false;
        return splice(index, 1, 1, length, &invokeFill<Fill>, &fill);
    }
    // Appends one entry of `length` bytes that `fill` writes.
    template <class Fill>
    bool appendEntry(std::uint32_t length, Fill&& fill)
    {
        return splice(count(), 0, 1, length, &invokeFill<Fill>, &fill);
    }
    bool appendEntry(const std::uint8_t* bytes, std::uint32_t length);

    // Array-slot semantics: a slot past the end grows the array (the slots between stay
    // empty) unless the new content is empty; afterwards empty slots at the end are
    // dropped, so an array never ends with an empty slot.
    bool setSlot(std::uint32_t index, const std::uint8_t* bytes, std::uint32_t length);

    // Removes entry `index`, then drops the empty entries left at the end.
    bool removeEntry(std::uint32_t index);
    bool dropTrailingEmpty();
    void clear() noexcept;

    // "#3(#f #x0102 #f)": the count, then each entry, empty ones as "#f".
    std::string toString() const;

private:
    using FillFunction = void (*)(std::uint8_t* destination, void* context);

    template <class Fill>
    static void invokeFill(std::uint8_t* destination, void* context)
    {
        (*static_cast<std::remove_reference_t<Fill>*>(context))(destination);
    }

    // Replaces entries [first, first + removed) by `added` entries: all empty but the
    // last, which has `lastLength` bytes written by `fill`.
    bool splice(std::uint32_t first, std::uint32_t removed, std::uint32_t added, std::uint32_t lastLength,
                FillFunction fill, void* context);
    // Length of the prefix that remains when entry `index` is ignored and the empty
    // entries at the end are dropped.
    std::uint32_t entriesKeptWithout(std::uint32_t index) const noexcept;
    // Offset of entry `index` (or of the end of the buffer when index == count).
    std::uint32_t offsetOf(std::uint32_t index) const noexcept;
    void adopt(memory::OwnedBytes buffer) noexcept;

    memory::OwnedBytes owned_;            // set when the object owns its buffer
    const std::uint8_t* bytes_ = nullptr; // owned_.get(), a view, or null when empty
};

} // namespace Corvane
