#include "quelder/at/Modem.h"

#include "quelder/BackendThread.h"

#include "platform/SystemError.h"
#include "quelder/at/CommandText.h"
#include "quelder/at/LogText.h"

#include <cassert>
#include <new>
#include <thread>

namespace GSM {

namespace {

// Logged for an exception that carries no result code of ours.
constexpr QdResult kNoResultCode = static_cast<QdResult>(0x8000FFFFu);

// Runs `work` on the receiver thread, where nothing may escape: the code of what it
// raised, or 0.
template <class Work>
QdResult RunCaught(Work&& work) noexcept
{
    try {
        work();
        return kQdSuccess;
    } catch (const ResultError& error) {
        return error.code();
    } catch (const std::bad_alloc&) {
        return kQdOutOfMemory;
    } catch (const std::exception&) {
        return kNoResultCode;
    }
}

std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Where the receiver reports while no guard hands it the owner's events.
ModemEvents& nobodyListening()
{
    static struct : ModemEvents {
    } nobody;
    return nobody;
}

} // namespace

bool ModemEvents::OnLine(std::string_view, bool&) { return false; }

void ModemEvents::OnUnsolicited(Line&) {}

void ModemEvents::OnReceiverFailed(int) {}

ModemReceiverGuard::ModemReceiverGuard(Modem& modem, ModemEvents& events) noexcept : modem_(modem)
{
    modem_.events_ = &events;
}

ModemReceiverGuard::~ModemReceiverGuard()
{
    modem_.Close();
    modem_.events_ = &nobodyListening();
}

Modem::Modem(ModemTiming timing)
    : timing_(timing), port_(*this), socket_(*this), active_(&port_), events_(&nobodyListening())
{
    queue_.Abort(); // nothing to wait for before the first Open
}

Modem::~Modem() { Close(); }

// ---------------------------------------------------------------------------------------
// Opening and closing

void Modem::PrepareOpen()
{
    Close();
    {
        std::lock_guard lock(receiverMutex_);
        assembler_.Reset();
    }
    {
        std::lock_guard lock(echoMutex_);
        echo_.reset();
    }
    {
        std::lock_guard lock(commandMutex_);
        current_.reset();
    }
    queue_.Reopen();
    receiving_ = true;
}

void Modem::Open(OpenMode mode, const std::string& name)
{
    assert(mode <= OpenMode::deviceFileOverlapped && "a port name for a socket mode");
    PrepareOpen();
    active_ = &port_;
    try {
        port_.Open(name, mode == OpenMode::serial || mode == OpenMode::serialOverlapped,
                   mode == OpenMode::serialOverlapped || mode == OpenMode::deviceFileOverlapped, timing_.settle);
    } catch (...) {
        receiving_ = false;
        queue_.Abort();
        throw;
    }
}

std::uint16_t Modem::Open(OpenMode mode, std::uint16_t port)
{
    assert((mode == OpenMode::socketClient || mode == OpenMode::socketServer) && "a port number for a serial mode");
    PrepareOpen();
    active_ = &socket_;
    try {
        if (mode == OpenMode::socketServer)
            return socket_.OpenServer(port);
        socket_.OpenClient(port);
        return port;
    } catch (...) {
        receiving_ = false;
        queue_.Abort();
        throw;
    }
}

int Modem::Close()
{
    receiving_ = false;
    queue_.Abort(); // waiting callers fail now, not when the receiver has stopped
    const bool wasOpen = Active().IsOpen();
    Active().Close();
    if (wasOpen)
        Nodekin::xlog(Nodekin::logNormal, "Qd: Port closed successfully");
    return kQdSuccess;
}

bool Modem::IsOpen() const { return Active().IsOpen(); }

void Modem::Write(std::span<const std::uint8_t> bytes, bool sensitive, bool ignoreGoingDown)
{
    Active().Write(bytes, sensitive, ignoreGoingDown);
}

void Modem::PurgeComm() { Active().Purge(); }

void Modem::SetQuoteTracking(bool on)
{
    std::lock_guard lock(receiverMutex_);
    assembler_.SetQuoteTracking(on);
}

// ---------------------------------------------------------------------------------------
// The receiver side

void Modem::ReceivedBytes(std::span<const std::uint8_t> bytes)
{
    const BackendThreadMark mark;
    std::lock_guard lock(receiverMutex_);
    for (const std::uint8_t c : bytes) {
        if (!receiving_.load(std::memory_order_relaxed))
            return;
        assembler_.Push(c, *this);
    }
}

void Modem::ReceiverFailed(int error)
{
    const BackendThreadMark mark;
    queue_.EndOfInput();
    events_.load()->OnReceiverFailed(error);
}

void Modem::PeerClosed() { queue_.EndOfInput(); }

void Modem::LineTooLong()
{
    Nodekin::xlog(Nodekin::logWarning, "Qd: Modem::OnRxChar(): too long line (>=%d) received, skipping it",
                  static_cast<int>(LineAssembler::kBufferSize));
}

void Modem::LineComplete(std::string_view line, bool& continuation)
{
    const QdResult failure = RunCaught([&] {
        if (!events_.load()->OnLine(line, continuation))
            SortLine(line, continuation);
    });
    if (failure == kQdSuccess)
        return;
    continuation = false;
    Nodekin::xlog(Nodekin::logError, "Qd: Processing of a received line failed with 0x%x",
                  static_cast<unsigned>(failure));
}

void Modem::SortLine(std::string_view text, bool& continuation)
{
    AnswerLine line{std::string(text)};
    if (LogWanted(Nodekin::logNormal)) {
        // While a secret is on its way its echo may come back: it is masked like the command.
        const std::string shown = Active().SensitiveTraffic() ? MaskQuoted(text) : std::string(text);
        Nodekin::xlog(Nodekin::logNormal, "Qd: Modem read: [%s]", Printable(shown).c_str());
    }

    if (line.IsUnsolicited()) {
        if (AnnouncesNextLine(*line.UnsolicitedType()) && !continuation) {
            continuation = true; // the message follows on the next line
            return;
        }
        continuation = false;
        DispatchUnsolicited(line);
        return;
    }
    continuation = false;

    if (IsEcho(text)) {
        Nodekin::xlog(Nodekin::logVerbose, "Qd: Echo line was detected, discarding it");
        assembler_.MarkStartOfAnswer();
        return;
    }
    const bool final = line.IsFinal();
    if (!queue_.Push(std::move(line)))
        Nodekin::xlog(Nodekin::logWarning, "Qd: Answer queue is full (%d lines), the oldest line was dropped",
                      static_cast<int>(AnswerQueue::kCapacity));
    if (final)
        Active().SetSensitiveTraffic(false); // the exchange that carried a secret is over
}

void Modem::DispatchUnsolicited(Line& line)
{
    const QdResult failure = RunCaught([&] { events_.load()->OnUnsolicited(line); });
    if (failure != kQdSuccess)
        Nodekin::xlog(Nodekin::logError,
                      "Qd: An exception 0x%x occured during processing the previous unsolicited response (type %d)",
                      static_cast<unsigned>(failure), static_cast<int>(*line.UnsolicitedType()));
}

bool Modem::IsEcho(std::string_view line)
{
    // The echo comes first or not at all: whatever this line is, the record is spent, so
    // a second identical line, or one that comes later in the answer, is an answer line.
    std::optional<std::string> expected;
    {
        std::lock_guard lock(echoMutex_);
        expected.swap(echo_);
    }
    return expected && *expected == line;
}

// ---------------------------------------------------------------------------------------
// The command side

void Modem::SetTimeout(std::chrono::milliseconds timeout)
{
    std::lock_guard lock(commandMutex_);
    explicitTimeout_ = std::max(timeout, std::chrono::milliseconds(1));
}

Modem& Modem::Command(std::string_view text)
{
    std::lock_guard lock(commandMutex_);
    command_.assign(text);
    return *this;
}

Modem& Modem::Append(std::string_view text)
{
    std::lock_guard lock(commandMutex_);
    command_.append(text);
    return *this;
}

Modem& Modem::AppendInt(long long value) { return Append(std::to_string(value)); }

Modem& Modem::AppendChar(char c) { return Append(std::string_view(&c, 1)); }

Modem& Modem::Append(const QuotedString& text) { return Append(text.Encode()); }

void Modem::Send(unsigned kind)
{
    std::lock_guard lock(commandMutex_);
    remaining_ = explicitTimeout_.value_or(kDefaultAnswerTimeout);
    explicitTimeout_.reset(); // the next command starts from the default again

    std::this_thread::sleep_for(timing_.beforeCommand);
    queue_.Clear();
    current_.reset();

    const bool raw = (kind & kSendRaw) != 0;
    const bool sensitive = (kind & kSendSensitive) != 0 || CarriesSecret(command_);
    std::string bytes = raw || (kind & kSendVerbatim) != 0 ? command_ : ToCardCharacters(command_);
    if (bytes.size() > kCommandLimit) {
        // Cut short, it would be another command: a truncated number or text, stored or sent.
        Nodekin::xlog(Nodekin::logError, "Qd: Command of %d bytes is longer than %d bytes, it is not sent",
                      static_cast<int>(bytes.size()), static_cast<int>(kCommandLimit));
        Raise(qdSystemError(Os::kErrorInvalidParameter));
    }

    if (!sensitive)
        Nodekin::xlog(Nodekin::logNormal, "Qd: Modem write: [%s]", Printable(bytes).c_str());
    else if (!raw)
        Nodekin::xlog(Nodekin::logNormal, "Qd: Modem write: [%s]", Printable(MaskQuoted(bytes)).c_str());
    if (sensitive)
        Active().SetSensitiveTraffic(true); // until the final result: the echo carries the secret too

    if (!raw) {
        {
            std::lock_guard echoLock(echoMutex_);
            echo_ = bytes + '\r';
        }
        bytes += "\r\n";
    }
    Active().Write(bytesOf(bytes), sensitive, false);
}

AnswerLine Modem::TakeLine()
{
    std::optional<AnswerLine> line;
    const auto started = std::chrono::steady_clock::now();
    const AnswerQueue::Outcome outcome = queue_.Take(remaining_, line);
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    remaining_ = std::max(remaining_ - spent, std::chrono::milliseconds(1));
    switch (outcome) {
    case AnswerQueue::Outcome::line:
        return std::move(*line);
    case AnswerQueue::Outcome::timedOut:
        Nodekin::xlog(Nodekin::logWarning, "Qd: Wait timeout for answer");
        Raise(kQdTimeout);
    case AnswerQueue::Outcome::aborted:
        break;
    }
    Raise(kQdNoDevice);
}

Line& Modem::CurrentLine()
{
    if (!current_) {
        AnswerLine line = TakeLine();
        if (line.IsFinal())
            Raise(line.Code() != kQdSuccess ? line.Code() : kQdUnexpectedFinal);
        current_.emplace(std::move(line));
    }
    return *current_;
}

void Modem::ExpectPrefix(std::string_view prefix)
{
    std::lock_guard lock(commandMutex_);
    for (;;) {
        Line& line = CurrentLine();
        if (line.HasPrefix(prefix) || line.Position() != 0)
            return line.ExpectPrefix(prefix);
        Nodekin::xlog(Nodekin::logVerbose, "Qd: Answer line without %.*s skipped", static_cast<int>(prefix.size()),
                      prefix.data());
        current_.reset();
    }
}

int Modem::ReadInt()
{
    std::lock_guard lock(commandMutex_);
    return CurrentLine().ReadInt();
}

char Modem::ReadChar()
{
    std::lock_guard lock(commandMutex_);
    return CurrentLine().ReadChar();
}

std::string Modem::ReadToken(std::string_view separators)
{
    std::lock_guard lock(commandMutex_);
    return CurrentLine().ReadToken(separators);
}

QuotedString Modem::ReadQuotedString(QuotedString::Mode mode)
{
    std::lock_guard lock(commandMutex_);
    return CurrentLine().ReadQuotedString(mode);
}

bool Modem::SkipIf(char c)
{
    std::lock_guard lock(commandMutex_);
    return CurrentLine().SkipIf(c);
}

void Modem::Skip(std::size_t count)
{
    std::lock_guard lock(commandMutex_);
    CurrentLine().Skip(count);
}

std::string Modem::RestOfLine()
{
    std::lock_guard lock(commandMutex_);
    return std::string(CurrentLine().Rest());
}

void Modem::EndLine()
{
    std::lock_guard lock(commandMutex_);
    current_.reset();
}

void Modem::WaitFinal()
{
    std::lock_guard lock(commandMutex_);
    current_.reset();
    for (;;) {
        const AnswerLine line = TakeLine();
        if (!line.IsFinal())
            continue;
        if (line.Code() < 0)
            Raise(line.Code());
        return;
    }
}

void Modem::ClearAnswers(bool purge)
{
    std::lock_guard lock(commandMutex_);
    current_.reset();
    queue_.Clear();
    if (purge)
        PurgeComm();
}

} // namespace GSM
