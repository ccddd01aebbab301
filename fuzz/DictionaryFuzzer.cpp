// Feeds arbitrary bytes to everything that reads a parameter buffer from outside:
// validation, views, the text form, deep copies, lookups and the readers, and writes
// that take their values from the viewed buffer.

#include "corvane/types/Dictionary.h"

#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>

#include <cstddef>
#include <cstdint>
#include <string>

using Corvane::Dictionary;
using Corvane::VarArray;
using Corvane::VarEntry;

namespace {

void exercise(const Dictionary& d)
{
    Dictionary copy = d;
    if (!(copy == d))
        __builtin_trap();
    (void)d.toString();

    for (VarEntry entry : d.pairs()) {
        const Dictionary::Pair pair = Dictionary::pairOf(entry);
        const std::string key(pair.key);
        (void)d.typeOf(key.c_str());
        (void)d.integer(key.c_str());
        (void)d.real(key.c_str());
        (void)d.address(key.c_str());
        if (const char* text = d.string(key.c_str()))
            (void)std::string(text);
        (void)d.dictionary(key.c_str()).toString();
        const VarArray items = d.array(key.c_str());
        (void)items.toString();
        for (std::uint32_t i = 0; i < items.count() && i < 4; ++i)
            (void)d.arrayItem(key.c_str(), i).count();

        copy.copyKey(d, key.c_str(), "copied");
        copy.setArrayItem(key.c_str(), pair.valueLength % 5, d.dictionary(key.c_str()));
    }
    Dictionary merged;
    merged.merge(d);
    if (!Dictionary::validate(merged.data(), merged.byteSize()) && !merged.isEmpty())
        __builtin_trap();
    if (!copy.isEmpty() && !Dictionary::validate(copy.data(), copy.byteSize()))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Refusals are logged: let them go through the whole logging path, then nowhere.
    static log4cplus::Initializer logging;
    log4cplus::Logger::getRoot().addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The same bytes seen as a bare array, and as a dictionary.
    (void)VarArray::view(data, size).toString();
    const Dictionary d = Dictionary::view(data, size);
    exercise(d);
    return 0;
}
