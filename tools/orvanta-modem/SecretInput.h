#pragma once
// Reading a PIN or PUK: from a prompt that does not echo when standard input is a
// terminal, else one line of standard input. The terminal gets its echo back however the
// reading ends: the code read, the input ended, or a signal that cancelled it (the tool's
// signal thread calls cancel(), so the read returns and the guard restores the terminal).

#include <termios.h>

#include <array>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string_view>

#include "platform/UniqueFd.h"

namespace Orvanta::modem {

// A code in memory that is wiped when it goes; never copied implicitly.
class Secret {
public:
    static constexpr std::size_t kCapacity = 32;

    Secret() = default;
    ~Secret();
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    Secret(Secret&& other) noexcept;
    Secret& operator=(Secret&& other) noexcept;

    // False when the code would not fit.
    bool append(char c) noexcept;
    void clear() noexcept;

    const char* c_str() const noexcept { return text_.data(); }
    std::string_view view() const noexcept { return {text_.data(), length_}; }
    std::size_t size() const noexcept { return length_; }
    bool operator==(const Secret& other) const noexcept { return view() == other.view(); }

private:
    std::array<char, kCapacity + 1> text_{};
    std::size_t length_ = 0;
};

// What a code must look like before it is sent: a PIN 4 to 8 digits, a PUK 8. The reason
// when it does not, which never repeats the code.
enum class CodeKind { pin, puk };
std::optional<const char*> codeProblem(const Secret& code, CodeKind kind);

enum class ReadResult { read, ended, tooLong, cancelled, failed };

class SecretReader {
public:
    // Reads from `input`; prompts (terminal only) go to `prompts`.
    explicit SecretReader(int input = 0, std::FILE* prompts = stderr);
    SecretReader(const SecretReader&) = delete;
    SecretReader& operator=(const SecretReader&) = delete;

    bool fromTerminal() const noexcept { return terminal_; }

    // One code; the line end is not part of it. `prompt` is shown on a terminal only.
    ReadResult read(const char* prompt, Secret& code);

    // Ends a read under way, and every later one, from any thread.
    void cancel() noexcept;

private:
    ReadResult readLine(Secret& code);
    // Whether a byte can be read now; false when cancelled or the poll failed.
    bool waitForInput();

    int input_;
    std::FILE* prompts_;
    bool terminal_;
    Os::UniqueFd cancel_;
};

// Turns the terminal's echo off and back on when it goes.
class EchoOff {
public:
    explicit EchoOff(int terminal);
    ~EchoOff();
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int terminal_;
    bool changed_ = false;
    termios saved_{};
};

} // namespace Orvanta::modem
