#pragma once
// The file a recorder writes to as it goes: written in place rather than renamed at the
// end, so that what was flushed survives a crash. The first failure to write is told
// once, and nothing more is written.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Orvanta::gps {

class RecordingFile {
public:
    // Creates `path`, or empties the file there; none, after "orvanta-gps: cannot write
    // PATH: reason" on `messages`, when that fails.
    static std::optional<RecordingFile> create(const std::string& path, std::FILE* messages);

    void write(std::string_view text);
    // Hands what was written to the system, where a crash of this program cannot lose it.
    void flush();
    // False when something could not be written (and was told); closing twice is harmless.
    bool close();

    bool failed() const noexcept { return failed_; }
    bool closed() const noexcept { return !file_; }
    const std::string& path() const noexcept { return path_; }

private:
    struct CloseFile {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    RecordingFile(std::unique_ptr<std::FILE, CloseFile> file, std::string path, std::FILE* messages);
    void fail(int error);

    std::unique_ptr<std::FILE, CloseFile> file_;
    std::string path_;
    std::FILE* messages_;
    bool failed_ = false;
};

} // namespace Orvanta::gps
