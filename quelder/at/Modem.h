#pragma once
// An AT command channel to a card: a port (or local socket) whose receiver thread cuts
// what the card sends into lines and sorts them, and a command side on which a caller
// builds one command, sends it and reads the answer, blocking until the final result or
// the time-out.
//
// Lines that start with an unsolicited prefix go to the owner's OnUnsolicited on the
// receiver thread and never into an answer. The echo of the last command is dropped
// once, when it is the first line after the command. Every other line joins the answer
// queue. Each new command first drops whatever is queued, so a late answer to an earlier
// command never reads as the answer to this one.
//
// The command side has one caller at a time: the backend's library lock sees to that,
// and the command lock keeps the pieces of one operation together. Close may come from
// any thread; a caller waiting for an answer then fails with kQdNoDevice at once.
// Failures on the command side are raised as ResultError with the result code.
//
// The owner hears the receiver through ModemEvents, which it hands over with a
// ModemReceiverGuard held as its last data member: the guard goes first and closes the
// port, so the receiver has stopped before anything its events touch is gone. Without a
// guard the receiver tells nobody.

#include "quelder/QdResult.h"
#include "quelder/at/AnswerQueue.h"
#include "quelder/at/Channel.h"
#include "quelder/at/Line.h"
#include "quelder/at/LineAssembler.h"
#include "quelder/at/Port.h"
#include "quelder/at/QuotedString.h"
#include "quelder/at/Socket.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace GSM {

enum class OpenMode : int {
    serial = 0,               // a serial port with the card's line settings
    serialOverlapped = 1,
    deviceFile = 2,           // a port driven as a plain device file, without line settings
    deviceFileOverlapped = 3,
    socketClient = 4,         // a local socket to the given port
    socketServer = 5,         // a local socket server on the given port, or any free one
};

// How a command is written; kinds combine as flags.
enum SendKind : unsigned {
    kSendNormal = 0,
    kSendSensitive = 1, // carries a secret: logged with what stands between quotes as X, never dumped
    kSendVerbatim = 2,  // quoted text goes out as it is, without conversion to the GSM alphabet
    kSendRaw = 4,       // the buffer as it is: no line end, no echo expected (message bodies)
};

struct ModemTiming {
    // Given to the card after a port opens, before and after its receiver starts.
    std::chrono::milliseconds settle{100};
    // Before each command, for the last lines of an earlier answer to come in before the
    // queue is emptied.
    std::chrono::milliseconds beforeCommand{10};
};

// What the owner of a modem hears, on the modem's receiver thread. Each default does
// nothing.
class ModemEvents {
public:
    // A complete line, before the engine sorts it. True: the owner took it, and the engine
    // does nothing more with it. `continuation` comes in set when the line was joined to
    // the one before; a line taken sets it to have the next line joined to this one.
    virtual bool OnLine(std::string_view line, bool& continuation);
    // An unsolicited result; dropped afterwards. The owner's handlers go here; a raised
    // code is logged with the result's type. A handler must not send a command: its
    // answer could only arrive on this very thread.
    virtual void OnUnsolicited(Line& line);
    // The receiver stopped on a failure (kErrorDeviceRemoved when the card was pulled).
    // Waiting callers have been failed already.
    virtual void OnReceiverFailed(int error);

protected:
    ~ModemEvents() = default;
};

class Modem;

// Hands the owner's events to a modem while it lives, and closes the modem when it goes.
class ModemReceiverGuard final {
public:
    ModemReceiverGuard(Modem& modem, ModemEvents& events) noexcept;
    ~ModemReceiverGuard();
    ModemReceiverGuard(const ModemReceiverGuard&) = delete;
    ModemReceiverGuard& operator=(const ModemReceiverGuard&) = delete;

private:
    Modem& modem_;
};

class Modem : private ReceiverEvents, private LineAssembler::Consumer {
public:
    static constexpr std::chrono::milliseconds kDefaultAnswerTimeout{30000};
    // The longest command, after conversion, without its line end.
    static constexpr std::size_t kCommandLimit = 1023;

    explicit Modem(ModemTiming timing = {});
    virtual ~Modem();
    Modem(const Modem&) = delete;
    Modem& operator=(const Modem&) = delete;

    // Modes 0 to 3: the port `name` ("/dev/ttyUSB2").
    void Open(OpenMode mode, const std::string& name);
    // Modes 4 and 5: returns the port connected to, or listened on.
    std::uint16_t Open(OpenMode mode, std::uint16_t port);
    // Returns 0. From any thread, the receiver's own callbacks included.
    int Close();
    bool IsOpen() const;

    // The port side, for bytes outside the command and answer scheme.
    void Write(std::span<const std::uint8_t> bytes, bool sensitive = false, bool ignoreGoingDown = false);
    void PurgeComm();
    // Bytes between double quotes, line ends included, stay in the line they started in.
    void SetQuoteTracking(bool on);

    // Building a command. The time-out holds for the next command's answer only; without
    // one the answer may take kDefaultAnswerTimeout.
    void SetTimeout(std::chrono::milliseconds timeout);
    void SetTimeoutSeconds(int seconds) { SetTimeout(std::chrono::seconds(seconds)); }
    Modem& Command(std::string_view text);
    Modem& Append(std::string_view text);
    Modem& AppendInt(long long value);
    Modem& AppendChar(char c);
    Modem& Append(const QuotedString& text);
    void Send(unsigned kind = kSendNormal);

    // Reading the answer, on the oldest information line. A final result met where an
    // information line was wanted raises its code, or kQdUnexpectedFinal for "OK", and
    // is dropped with the lines before it.
    //
    // Expects `prefix` on the current line; a fresh line that does not start with it is
    // skipped (an unknown report, a second echo), so the answer is found behind it.
    void ExpectPrefix(std::string_view prefix);
    int ReadInt();
    char ReadChar();
    std::string ReadToken(std::string_view separators = ",");
    QuotedString ReadQuotedString(QuotedString::Mode mode = QuotedString::Mode::plain);
    bool SkipIf(char c);
    void Skip(std::size_t count = 1);
    // What is left of the current line, which stays current.
    std::string RestOfLine();
    // Drops the line just read.
    void EndLine();
    // Waits for the final result, dropping information lines before it; raises its code
    // when it is an error.
    void WaitFinal();
    // Drops every queued line; with `purge`, also what waits in the port.
    void ClearAnswers(bool purge = false);

private:
    // ReceiverEvents
    void ReceivedBytes(std::span<const std::uint8_t> bytes) override;
    void ReceiverFailed(int error) override;
    void PeerClosed() override;
    // LineAssembler::Consumer
    void LineComplete(std::string_view line, bool& continuation) override;
    void LineTooLong() override;

    friend class ModemReceiverGuard;

    void PrepareOpen();
    // The engine's own handling of a line the owner did not take.
    void SortLine(std::string_view line, bool& continuation);
    void DispatchUnsolicited(Line& line);
    bool IsEcho(std::string_view line);
    Channel& Active() const { return *active_.load(); }
    // With the command lock held:
    Line& CurrentLine();
    AnswerLine TakeLine();

    const ModemTiming timing_;
    Port port_;
    Socket socket_;
    std::atomic<Channel*> active_; // the port or the socket, whichever the last Open chose
    std::atomic<bool> receiving_{false}; // cleared by Close: bytes still in the receiver's hands are dropped
    std::atomic<ModemEvents*> events_; // the owner's, while its guard lives

    std::mutex receiverMutex_; // guards assembler_: the receiver feeds it, Open resets it
    LineAssembler assembler_;

    std::mutex echoMutex_; // guards echo_: the caller records the command, the receiver compares
    std::optional<std::string> echo_;

    AnswerQueue queue_; // locks itself

    std::mutex commandMutex_; // guards everything below: held by each operation of the command side
    std::string command_;
    std::optional<std::chrono::milliseconds> explicitTimeout_;
    std::chrono::milliseconds remaining_{kDefaultAnswerTimeout};
    std::optional<AnswerLine> current_; // the information line being read
};

} // namespace GSM
