#include "platform/Process.h"

#include "platform/SystemError.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>

extern char** environ;

namespace Os {
namespace {

// Frees the spawn attributes and file actions on every way out.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

int openPidFd(pid_t pid)
{
    // The libc wrapper is young; the system call is not.
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

} // namespace

Process::~Process()
{
    if (pid_ > 0 && !reap()) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

int Process::spawn(const std::string& program, const std::vector<std::string>& arguments, Options options)
{
    assert(pid_ <= 0 && "Process spawned twice");
    SpawnSetup setup;
    // The child starts with default signal handling and no blocked signals, whatever ours are.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    UniqueFd childInput;
    UniqueFd childOutput;
    auto makePipe = [](UniqueFd& readEnd, UniqueFd& writeEnd) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return lastSystemError();
        readEnd.reset(ends[0]);
        writeEnd.reset(ends[1]);
        return kErrorSuccess;
    };
    if (options.pipeInput) {
        if (const int error = makePipe(childInput, input_))
            return error;
        posix_spawn_file_actions_adddup2(&setup.actions, childInput.get(), STDIN_FILENO);
    }
    if (options.pipeOutput) {
        if (const int error = makePipe(output_, childOutput))
            return error;
        posix_spawn_file_actions_adddup2(&setup.actions, childOutput.get(), STDOUT_FILENO);
    }

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (const int rc = ::posix_spawnp(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ)) {
        input_.reset();
        output_.reset();
        return systemErrorFromErrno(rc);
    }
    std::lock_guard lock(mutex_);
    pid_ = pid;
    exit_.reset();
    pidFd_.reset(openPidFd(pid)); // without one, waits look at the child every few milliseconds
    return kErrorSuccess;
}

bool Process::reap()
{
    std::lock_guard lock(mutex_);
    if (exit_)
        return true;
    if (pid_ <= 0)
        return false;
    int status = 0;
    pid_t got;
    while ((got = ::waitpid(pid_, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (got != pid_)
        return false;
    exit_ = WIFSIGNALED(status) ? ExitStatus{true, WTERMSIG(status)} : ExitStatus{false, WEXITSTATUS(status)};
    return true;
}

bool Process::running() { return pid_ > 0 && !reap(); }

std::optional<ExitStatus> Process::exitStatus()
{
    reap();
    std::lock_guard lock(mutex_);
    return exit_;
}

int Process::terminate() { return sendSignal(SIGKILL); }

int Process::sendSignal(int signal)
{
    if (pid_ <= 0)
        return kErrorInvalidHandle;
    if (reap())
        return kErrorSuccess; // already ended
    return ::kill(pid_, signal) == 0 ? kErrorSuccess : lastSystemError();
}

WaitOutcome Process::tryAcquire()
{
    if (pid_ <= 0)
        return {WaitStatus::failed, 0, kErrorInvalidHandle};
    return {reap() ? WaitStatus::signalled : WaitStatus::notSignalled, 0, 0};
}

} // namespace Os
