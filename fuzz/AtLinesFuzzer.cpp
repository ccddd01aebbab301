// Feeds arbitrary bytes, as a card might send them, through the AT engine's line
// assembly and classification, and reads every line field by field as an operation
// would. The first byte picks the assembler's options.

#include "nodekin/XLog.h"
#include "quelder/at/Gsm7.h"
#include "quelder/at/Line.h"
#include "quelder/at/LineAssembler.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void checkClassification(const GSM::AnswerLine& line)
{
    const auto code = static_cast<std::uint32_t>(line.Code());
    switch (line.Kind()) {
    case GSM::LineKind::finalResult:
        if (line.Text() == "OK" ? code != 0
                                : (code & 0xFFFF0000u) != 0x84010000u && (code & 0xFFFF0000u) != 0x84020000u &&
                                      line.Code() != kQdModemError && line.Code() != kQdMalformedError)
            __builtin_trap();
        break;
    case GSM::LineKind::unsolicited:
        if (!line.UnsolicitedType() || static_cast<std::size_t>(*line.UnsolicitedType()) >= GSM::kUnsolicitedTypes)
            __builtin_trap();
        break;
    case GSM::LineKind::information:
        if (line.Text() == "OK" || line.Text() == "ERROR")
            __builtin_trap();
        break;
    }
}

// Reads as far as the line allows, the way the backend's operations read answers.
void readFields(GSM::Line line, GSM::QuotedString::Mode mode)
{
    try {
        (void)line.SkipIf(':');
        for (int field = 0; field < 64 && !line.AtEnd(); ++field) {
            if (line.HasPrefix("\"") || line.HasPrefix(" \""))
                (void)line.ReadQuotedString(mode);
            else if (!line.SkipIf(','))
                (void)line.ReadInt();
            if (line.Position() > line.Length())
                __builtin_trap();
        }
    } catch (const GSM::ResultError& error) {
        if (error.code() != kQdNotAvailable)
            __builtin_trap();
    }
    try {
        while (!line.AtEnd())
            (void)line.ReadToken(",;");
    } catch (const GSM::ResultError&) {
    }
}

class Consumer : public GSM::LineAssembler::Consumer {
public:
    explicit Consumer(GSM::LineAssembler& assembler) : assembler_(assembler) {}

    void LineComplete(std::string_view text, bool& continuation) override
    {
        if (text.empty() || text.size() >= GSM::LineAssembler::kBufferSize)
            __builtin_trap();
        const GSM::AnswerLine line{std::string(text)};
        checkClassification(line);
        const bool announces = line.IsUnsolicited() && GSM::AnnouncesNextLine(*line.UnsolicitedType());
        continuation = announces && !continuation;
        if (text.back() == '\r')
            assembler_.MarkStartOfAnswer(); // as after an echo
        readFields(line, static_cast<GSM::QuotedString::Mode>(lines_++ % 3));

        // Septets read as text read back as the same text.
        const std::string once = GSM::Gsm7::ToUtf8(text);
        if (GSM::Gsm7::ToUtf8(GSM::Gsm7::FromUtf8(once)) != once)
            __builtin_trap();
    }
    void LineTooLong() override {}

private:
    GSM::LineAssembler& assembler_;
    unsigned lines_ = 0;
};

void ignore(const char*, void*) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Nodekin::setLogFunction(&ignore, nullptr); // decoding failures are logged; nobody reads them here
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    GSM::LineAssembler assembler;
    assembler.SetQuoteTracking((data[0] & 1) != 0);
    Consumer consumer(assembler);
    assembler.Push(std::span(data + 1, size - 1), consumer);
    return 0;
}
