#pragma once
// Notices as the library gives them to a watch, each written as one line, for the tests
// of what the watch records:
//
//   gga TIME LAT LON ALT       a GGA record with a fix; TIME is hh:mm:ss[.mmm], a number
//                              of milliseconds, or - when the sentence had none
//   gga TIME nofix             a GGA record without a fix (the fields read zero)
//   rmc TIME DATE LAT LON      an RMC record with a fix; DATE yyyymmdd or -
//   rmc TIME DATE nofix        an RMC record with status V
//   ... legacy                 either of them without "gpsFixValid", "gpsTime" and
//                              "gpsDate", as the library gave them before it had these
//   gsv N                      satellites in view
//   sentence TEXT              the line the card sent (the rest of the script line)
//   state N, support N, device N   the receiver's state, support, the device's state
//
// "@SECONDS " before any of them sets when it arrived, counted from `start`; without it a
// notice arrives when the one before it did.

#include "ClientNames.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace Orvanta::gps::testing {

class NoticeScript {
public:
    explicit NoticeScript(Clock::time_point start = Clock::now()) : start_(start), arrival_(start) {}

    Notice notice(const std::string& line);

private:
    Clock::time_point start_;
    Clock::time_point arrival_;
};

// What a recorder has handed to the system so far.
std::string fileText(const std::filesystem::path& file);

// A stream that takes a recorder's messages, for reading them back.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    std::FILE* stream() const noexcept { return stream_; }
    std::string text();

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
};

} // namespace Orvanta::gps::testing
