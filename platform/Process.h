#pragma once
// A child program: started with its arguments (searched in PATH when the name has no
// slash), watched for its exit, terminated. The proxy program of the zero-footprint
// cards runs as one. A Process is a Waitable that is signalled once the child has ended,
// so a monitor can wait for the child and a stop event at once.
//
// The child inherits no descriptor of ours but standard input, output and error. A child
// still running when its Process goes is killed and reaped: none is left behind, and none
// is left a zombie.

#include "platform/UniqueFd.h"
#include "platform/Waitable.h"

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Os {

struct ExitStatus {
    bool bySignal = false;
    int code = 0; // the exit code, or the signal that ended the child

    bool operator==(const ExitStatus&) const = default;
};

class Process final : public Waitable {
public:
    struct Options {
        bool pipeInput = false;  // the child's standard input comes from inputFd()
        bool pipeOutput = false; // the child's standard output goes to outputFd()
    };

    Process() = default;
    ~Process() override;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Returns 0 or a system error number (kErrorFileNotFound for a missing program).
    int spawn(const std::string& program, const std::vector<std::string>& arguments, Options options);
    int spawn(const std::string& program, const std::vector<std::string>& arguments)
    {
        return spawn(program, arguments, Options{});
    }

    pid_t pid() const { return pid_; }
    bool running();
    // The exit status once the child has ended.
    std::optional<ExitStatus> exitStatus();
    WaitOutcome waitForExit(std::chrono::milliseconds timeout) { return waitFor(*this, timeout); }
    // Ends the child at once (SIGKILL), as TerminateProcess does.
    int terminate();
    int sendSignal(int signal);

    // Our ends of the pipes asked for in Options; -1 otherwise.
    int inputFd() const { return input_.get(); }
    int outputFd() const { return output_.get(); }
    void closeInput() { input_.reset(); }

    WaitOutcome tryAcquire() override;
    int changeDescriptor() const override { return pidFd_.get(); }

private:
    // Reaps the child if it has ended. Answers whether it has.
    bool reap();

    std::mutex mutex_; // guards exit_ and the reaping of the child (pid_ is set once, before use)
    pid_t pid_ = -1;
    std::optional<ExitStatus> exit_;
    UniqueFd pidFd_;
    UniqueFd input_;
    UniqueFd output_;
};

} // namespace Os
