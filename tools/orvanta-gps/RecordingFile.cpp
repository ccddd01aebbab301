#include "RecordingFile.h"

#include <cerrno>
#include <cstring>

namespace Orvanta::gps {

std::optional<RecordingFile> RecordingFile::create(const std::string& path, std::FILE* messages)
{
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "w"));
    if (!file) {
        std::fprintf(messages, "orvanta-gps: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    return RecordingFile(std::move(file), path, messages);
}

RecordingFile::RecordingFile(std::unique_ptr<std::FILE, CloseFile> file, std::string path, std::FILE* messages)
    : file_(std::move(file)), path_(std::move(path)), messages_(messages)
{
}

void RecordingFile::fail(int error)
{
    if (failed_)
        return;
    failed_ = true;
    std::fprintf(messages_, "orvanta-gps: cannot write %s: %s\n", path_.c_str(), std::strerror(error));
}

void RecordingFile::write(std::string_view text)
{
    if (!file_ || failed_ || text.empty())
        return;
    if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size())
        fail(errno);
}

void RecordingFile::flush()
{
    if (file_ && !failed_ && std::fflush(file_.get()) != 0)
        fail(errno);
}

bool RecordingFile::close()
{
    if (!file_)
        return !failed_;
    flush();
    // What the system could not write back shows only now, on some file systems.
    if (std::fclose(file_.release()) != 0)
        fail(errno);
    return !failed_;
}

} // namespace Orvanta::gps
