#include "SecretInput.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace Orvanta::modem {

Secret::~Secret()
{
    clear();
}

Secret::Secret(Secret&& other) noexcept
{
    *this = std::move(other);
}

Secret& Secret::operator=(Secret&& other) noexcept
{
    if (this != &other) {
        clear();
        std::copy(other.text_.begin(), other.text_.end(), text_.begin());
        length_ = other.length_;
        other.clear();
    }
    return *this;
}

bool Secret::append(char c) noexcept
{
    if (length_ == kCapacity)
        return false;
    text_[length_++] = c;
    return true;
}

void Secret::clear() noexcept
{
    // Not optimised away, unlike a plain memset before the memory goes.
    explicit_bzero(text_.data(), text_.size());
    length_ = 0;
}

std::optional<const char*> codeProblem(const Secret& code, CodeKind kind)
{
    const std::string_view text = code.view();
    const bool digits =
        !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    if (kind == CodeKind::puk)
        return digits && text.size() == 8 ? std::nullopt : std::optional("a PUK is 8 digits");
    return digits && text.size() >= 4 && text.size() <= 8 ? std::nullopt : std::optional("a PIN is 4 to 8 digits");
}

SecretReader::SecretReader(int input, std::FILE* prompts)
    : input_(input), prompts_(prompts), terminal_(::isatty(input) == 1),
      cancel_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

void SecretReader::cancel() noexcept
{
    const std::uint64_t one = 1;
    // Only async-safe calls: this may run while the reading thread is in poll().
    [[maybe_unused]] const ssize_t written = ::write(cancel_.get(), &one, sizeof one);
}

ReadResult SecretReader::read(const char* prompt, Secret& code)
{
    code.clear();
    if (!terminal_)
        return readLine(code);
    ReadResult result;
    {
        // The echo goes before the prompt shows: a user may type at once.
        const EchoOff quiet(input_);
        std::fputs(prompt, prompts_);
        std::fflush(prompts_);
        result = readLine(code);
    }
    // The newline the user typed was not echoed either.
    std::fputc('\n', prompts_);
    std::fflush(prompts_);
    return result;
}

bool SecretReader::waitForInput()
{
    pollfd fds[2] = {{input_, POLLIN, 0}, {cancel_.get(), POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || (fds[1].revents & POLLIN) != 0)
            return false;
        return true;
    }
}

ReadResult SecretReader::readLine(Secret& code)
{
    bool overflow = false;
    bool any = false; // a byte of this line came
    for (;;) {
        if (!waitForInput())
            return ReadResult::cancelled;
        char c = 0;
        const ssize_t got = ::read(input_, &c, 1);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got < 0)
            return ReadResult::failed;
        // The input ended: a last line without its end still counts.
        if (got == 0 && !any)
            return ReadResult::ended;
        if (got == 0 || c == '\n')
            break;
        any = true;
        if (c == '\r')
            continue;
        overflow = overflow || !code.append(c);
        c = 0;
    }
    if (overflow) {
        code.clear();
        return ReadResult::tooLong;
    }
    return ReadResult::read;
}

EchoOff::EchoOff(int terminal) : terminal_(terminal)
{
    if (::tcgetattr(terminal_, &saved_) != 0)
        return;
    termios quiet = saved_;
    quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK | ECHONL));
    changed_ = ::tcsetattr(terminal_, TCSAFLUSH, &quiet) == 0;
}

EchoOff::~EchoOff()
{
    if (changed_)
        ::tcsetattr(terminal_, TCSAFLUSH, &saved_);
}

} // namespace Orvanta::modem
