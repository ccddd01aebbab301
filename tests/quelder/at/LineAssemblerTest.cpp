// Cutting a card's byte stream into lines.

#include "quelder/at/LineAssembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace GSM {
namespace {

// Plays the engine's part: joins the line after a message announcement to it, and takes
// a line ending in CR for the echo of a command, after which an answer starts.
class RecordingConsumer : public LineAssembler::Consumer {
public:
    explicit RecordingConsumer(LineAssembler& assembler) : assembler_(assembler) {}

    void LineComplete(std::string_view line, bool& continuation) override
    {
        lines.emplace_back(line);
        const bool announcement = line.starts_with("+CMT:") || line.starts_with("+CDS:");
        continuation = announcement && !continuation;
        if (line.ends_with('\r'))
            assembler_.MarkStartOfAnswer();
    }
    void LineTooLong() override { ++tooLong; }

    std::vector<std::string> lines;
    int tooLong = 0;

private:
    LineAssembler& assembler_;
};

struct AssemblyCase {
    const char* name;
    std::string input;
    std::vector<std::string> lines;
    int tooLong = 0;
    bool quoteTracking = false;
};

class LineAssembly : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(LineAssembly, DeliversTheLines)
{
    const AssemblyCase& row = GetParam();
    LineAssembler assembler;
    assembler.SetQuoteTracking(row.quoteTracking);
    RecordingConsumer consumer(assembler);
    for (const char c : row.input)
        assembler.Push(static_cast<std::uint8_t>(c), consumer);
    EXPECT_EQ(consumer.lines, row.lines);
    EXPECT_EQ(consumer.tooLong, row.tooLong);
}

std::string repeated(std::size_t count, char c = 'x') { return std::string(count, c); }

using Lines = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, LineAssembly,
    ::testing::Values(
        AssemblyCase{"AnswerBetweenLineEnds", "\r\n+CSQ: 17,99\r\n\r\nOK\r\n", Lines{"+CSQ: 17,99", "OK"}},
        AssemblyCase{"EmptyLinesAreNoLines", "\r\n\r\n\r\n", Lines{}},
        AssemblyCase{"EchoKeepsItsCr", "AT\r\r\nOK\r\n", Lines{"AT\r", "OK"}},
        AssemblyCase{"CrInsideALineSurvives", "a\rb\r\n", Lines{"a\rb"}},
        AssemblyCase{"LfWithoutCrEndsNothing", "OK\nmore\r\n", Lines{"OK\nmore"}},
        AssemblyCase{"LineWithoutEndIsNotDelivered", "\r\nOK", Lines{}},
        AssemblyCase{"NulBytesStayInTheLine", std::string("\r\nA\0B\r\n", 7), Lines{std::string("A\0B", 3)}},
        AssemblyCase{"PromptAfterEmptyLineEndsWithoutLineEnd", "\r\n> ", Lines{"> "}},
        AssemblyCase{"PromptAfterTheEchoOfTheCommand", "AT+CMGS=23\r\r\n> ", Lines{"AT+CMGS=23\r", "> "}},
        AssemblyCase{"PromptWithoutAnswerStartIsText", "x\r\n> ", Lines{"x"}},
        AssemblyCase{"GreaterThanInsideALineIsText", "\r\na> b\r\n", Lines{"a> b"}},
        AssemblyCase{"LineOf1023BytesIsDelivered", repeated(1023) + "\r\n", Lines{repeated(1023)}},
        AssemblyCase{"LineOf1024BytesIsDropped", repeated(1024) + "\r\nOK\r\n", Lines{"OK"}, 1},
        AssemblyCase{"LineOf1100BytesIsDroppedAndTheNextRead", repeated(1100) + "\r\nOK\r\n", Lines{"OK"}, 1},
        AssemblyCase{"TailOfALongLineIsNoAnswer", repeated(1030) + "OK\r\nERROR\r\n", Lines{"ERROR"}, 1},
        AssemblyCase{"FloodWithoutLineEndsCostsOneReport", repeated(5000) + "\r\nOK\r\n", Lines{"OK"}, 1},
        AssemblyCase{"MessageAnnouncementJoinsItsPdu", "\r\n+CMT: ,23\r\n0791ABCD\r\n",
                     Lines{"+CMT: ,23", "+CMT: ,23;0791ABCD"}},
        AssemblyCase{"StatusReportJoinsItsPdu", "\r\n+CDS: 25\r\n0006\r\nOK\r\n",
                     Lines{"+CDS: 25", "+CDS: 25;0006", "OK"}},
        AssemblyCase{"AnnouncementFollowedByEmptyLineStandsAlone", "\r\n+CMT: ,23\r\n\r\n",
                     Lines{"+CMT: ,23", "+CMT: ,23"}},
        AssemblyCase{"JoinedLineTooLongIsDroppedAndJoinsNothing", "+CMT: ,23\r\n" + repeated(1100) + "\r\nOK\r\n",
                     Lines{"+CMT: ,23", "OK"}, 1},
        AssemblyCase{"QuotesKeepLineEndsWhenTracked", "+CPBR: 1,\"a\r\nb\"\r\nOK\r\n",
                     Lines{"+CPBR: 1,\"a\r\nb\"", "OK"}, 0, true},
        AssemblyCase{"QuotesAreTextWhenNotTracked", "+CPBR: 1,\"a\r\nb\"\r\n", Lines{"+CPBR: 1,\"a", "b\""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineAssembler, ResetForgetsAHalfLine)
{
    LineAssembler assembler;
    RecordingConsumer consumer(assembler);
    for (const char c : std::string("\r\nhalf"))
        assembler.Push(static_cast<std::uint8_t>(c), consumer);
    assembler.Reset();
    for (const char c : std::string("OK\r\n"))
        assembler.Push(static_cast<std::uint8_t>(c), consumer);
    EXPECT_EQ(consumer.lines, Lines{"OK"});
}

TEST(LineAssembler, ConsumerThatThrowsLosesOnlyItsLine)
{
    struct Throwing : LineAssembler::Consumer {
        std::vector<std::string> lines;
        void LineComplete(std::string_view line, bool& continuation) override
        {
            continuation = true;
            if (line == "bad")
                throw std::runtime_error("handler failed");
            lines.emplace_back(line);
            continuation = false;
        }
        void LineTooLong() override {}
    } consumer;
    LineAssembler assembler;
    const std::string input = "bad\r\nOK\r\n";
    EXPECT_THROW(assembler.Push(std::span(reinterpret_cast<const std::uint8_t*>(input.data()), 5), consumer),
                 std::runtime_error);
    assembler.Push(std::span(reinterpret_cast<const std::uint8_t*>(input.data()) + 5, 4), consumer);
    EXPECT_EQ(consumer.lines, Lines{"OK"}) << "nothing joined to the failed line";
}

} // namespace
} // namespace GSM
