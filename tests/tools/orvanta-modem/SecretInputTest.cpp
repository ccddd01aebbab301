// Reading codes: one line each from a pipe, and from a terminal without echo, which is
// given back however the reading ends.

#include "SecretInput.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace Orvanta::modem {
namespace {

// The read end of a pipe that holds `text` and then ends (or stays open).
class InputPipe {
public:
    explicit InputPipe(const std::string& text, bool closed = true)
    {
        int ends[2];
        EXPECT_EQ(::pipe(ends), 0);
        read_ = ends[0];
        write_ = ends[1];
        EXPECT_EQ(::write(write_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        if (closed)
            closeWriter();
    }
    ~InputPipe()
    {
        closeWriter();
        ::close(read_);
    }
    void closeWriter()
    {
        if (write_ >= 0)
            ::close(write_);
        write_ = -1;
    }
    int fd() const { return read_; }

private:
    int read_ = -1;
    int write_ = -1;
};

struct LineRow {
    const char* name;
    std::string input;
    std::vector<ReadResult> results;
    std::vector<std::string> codes;
};

class PipedCodes : public ::testing::TestWithParam<LineRow> {};

TEST_P(PipedCodes, AreReadOneLineEach)
{
    InputPipe input(GetParam().input);
    SecretReader reader(input.fd(), stderr);
    EXPECT_FALSE(reader.fromTerminal());
    for (std::size_t i = 0; i < GetParam().results.size(); ++i) {
        Secret code;
        EXPECT_EQ(reader.read("unused: ", code), GetParam().results[i]) << "read " << i;
        EXPECT_EQ(std::string(code.view()), GetParam().codes[i]) << "read " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, PipedCodes,
    ::testing::Values(
        LineRow{"OneLine", "1234\n", {ReadResult::read, ReadResult::ended}, {"1234", ""}},
        LineRow{"PukThenNewPin", "12345678\n4321\n", {ReadResult::read, ReadResult::read}, {"12345678", "4321"}},
        LineRow{"CarriageReturnLineFeed", "1234\r\n", {ReadResult::read}, {"1234"}},
        LineRow{"LastLineWithoutItsEnd", "1234", {ReadResult::read, ReadResult::ended}, {"1234", ""}},
        LineRow{"Empty", "", {ReadResult::ended}, {""}},
        LineRow{"EmptyLine", "\n", {ReadResult::read}, {""}},
        LineRow{"TooLongThenNext", std::string(40, '1') + "\n5678\n", {ReadResult::tooLong, ReadResult::read},
                {"", "5678"}},
        LineRow{"TooLongAtTheEnd", std::string(40, '1'), {ReadResult::tooLong}, {""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SecretReader, CancelledReadReturnsAtOnce)
{
    // A writer that never writes: only the cancel ends the read.
    InputPipe input("", false);
    SecretReader reader(input.fd(), stderr);
    reader.cancel();
    Secret code;
    EXPECT_EQ(reader.read("unused: ", code), ReadResult::cancelled);
    EXPECT_EQ(reader.read("unused: ", code), ReadResult::cancelled) << "and every later one";
}

struct ShapeRow {
    const char* text;
    CodeKind kind;
    bool good;
};

class CodeShapes : public ::testing::TestWithParam<ShapeRow> {};

TEST_P(CodeShapes, AreCheckedBeforeTheyAreSent)
{
    Secret code;
    for (const char* c = GetParam().text; *c != '\0'; ++c)
        ASSERT_TRUE(code.append(*c));
    const std::optional<const char*> problem = codeProblem(code, GetParam().kind);
    EXPECT_EQ(!problem.has_value(), GetParam().good);
    if (problem && *GetParam().text != '\0') {
        EXPECT_EQ(std::string(*problem).find(GetParam().text), std::string::npos) << "never repeats the code";
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, CodeShapes,
                         ::testing::Values(ShapeRow{"1234", CodeKind::pin, true}, ShapeRow{"12345678", CodeKind::pin, true},
                                           ShapeRow{"123", CodeKind::pin, false}, ShapeRow{"123456789", CodeKind::pin, false},
                                           ShapeRow{"12a4", CodeKind::pin, false}, ShapeRow{"", CodeKind::pin, false},
                                           ShapeRow{" 1234", CodeKind::pin, false},
                                           ShapeRow{"12345678", CodeKind::puk, true}, ShapeRow{"1234567", CodeKind::puk, false},
                                           ShapeRow{"123456789", CodeKind::puk, false}));

TEST(Secret, IsWipedWhenMovedFrom)
{
    Secret first;
    for (char c : std::string("4711"))
        first.append(c);
    Secret second(std::move(first));
    EXPECT_EQ(second.view(), "4711");
    EXPECT_EQ(first.size(), 0u); // NOLINT(bugprone-use-after-move): the wipe is the point
    EXPECT_EQ(std::string(first.c_str()), "");
}

// A pseudo-terminal: the reader on its terminal side, the test typing on the other.
class Terminal : public ::testing::Test {
protected:
    void SetUp() override
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(::grantpt(master_), 0);
        ASSERT_EQ(::unlockpt(master_), 0);
        terminal_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal_, 0);
        // The prompts through a pipe: the test's thread reads what the reader wrote without
        // sharing a stream with it.
        int ends[2];
        ASSERT_EQ(::pipe2(ends, O_NONBLOCK), 0);
        promptsRead_ = ends[0];
        prompts_ = ::fdopen(ends[1], "w");
        ASSERT_NE(prompts_, nullptr);
    }
    void TearDown() override
    {
        if (prompts_ != nullptr)
            std::fclose(prompts_);
        ::close(promptsRead_);
        ::close(terminal_);
        ::close(master_);
    }

    bool echoes() const
    {
        termios settings{};
        ::tcgetattr(terminal_, &settings);
        return (settings.c_lflag & ECHO) != 0;
    }
    void type(const std::string& text) const
    {
        ASSERT_EQ(::write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    // What the terminal showed: its echo, if any, comes back on the master side.
    std::string shown() const
    {
        std::string text;
        pollfd fd{master_, POLLIN, 0};
        char buffer[256];
        while (::poll(&fd, 1, 100) == 1) {
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }
    // Waits for the reader's prompt; false when none came within the patience.
    bool awaitPrompt()
    {
        pollfd fd{promptsRead_, POLLIN, 0};
        return ::poll(&fd, 1, 10000) == 1 && !prompted().empty();
    }

    // What the reader prompted so far.
    std::string prompted()
    {
        char buffer[256];
        for (ssize_t got; (got = ::read(promptsRead_, buffer, sizeof buffer)) > 0;)
            promptText_.append(buffer, static_cast<std::size_t>(got));
        return promptText_;
    }

    int master_ = -1;
    int terminal_ = -1;
    std::FILE* prompts_ = nullptr;
    int promptsRead_ = -1;
    std::string promptText_;
};

TEST_F(Terminal, CodeIsReadWithoutEchoAndTheEchoComesBack)
{
    ASSERT_TRUE(echoes());
    SecretReader reader(terminal_, prompts_);
    EXPECT_TRUE(reader.fromTerminal());
    // Typed ahead: the line waits in the terminal until the reader takes it.
    Secret code;
    std::thread typist([&] {
        // Typing before the echo is off would echo; the prompt says the echo is off.
        if (awaitPrompt())
            type("2468\n");
        else
            type("\n"); // lets the read end, so that the test fails rather than hangs
    });
    EXPECT_EQ(reader.read("SIM PIN: ", code), ReadResult::read);
    typist.join();
    EXPECT_EQ(code.view(), "2468");
    EXPECT_TRUE(echoes());
    EXPECT_EQ(shown().find("2468"), std::string::npos);
    EXPECT_EQ(prompted(), "SIM PIN: \n");
}

TEST_F(Terminal, EchoComesBackWhenTheReadIsCancelled)
{
    SecretReader reader(terminal_, prompts_);
    Secret code;
    std::thread canceller([&] {
        awaitPrompt();
        reader.cancel();
    });
    EXPECT_EQ(reader.read("SIM PIN: ", code), ReadResult::cancelled);
    canceller.join();
    EXPECT_TRUE(echoes());
}

} // namespace
} // namespace Orvanta::modem
