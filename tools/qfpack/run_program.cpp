// POSIX: qfpack runs on the release engineer's machine, beside the build.
#include "run_program.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qfpack {

namespace {

// A pipe whose ends are closed in the child except where it is duplicated onto 0, 1 or 2.
struct Pipe {
    int readEnd = -1, writeEnd = -1;
    bool Open() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) return false;
        readEnd = ends[0];
        writeEnd = ends[1];
        return true;
    }
    static void Close(int& end) {
        if (end >= 0) close(end);
        end = -1;
    }
    ~Pipe() {
        Close(readEnd);
        Close(writeEnd);
    }
};

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the program stopped reading; what it makes of that, it says
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, std::string_view input) {
    ProgramRun run;
    Pipe in, out;
    if (argv.empty() || !in.Open() || !out.Open()) return run;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.readEnd, 0);
    posix_spawn_file_actions_adddup2(&actions, out.writeEnd, 1);
    posix_spawn_file_actions_adddup2(&actions, out.writeEnd, 2);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return run;
    run.started = true;
    Pipe::Close(in.readEnd);
    Pipe::Close(out.writeEnd);

    // A program that ends without reading its input must not end qfpack with SIGPIPE.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    WriteAll(in.writeEnd, input);
    Pipe::Close(in.writeEnd);
    std::signal(SIGPIPE, previous);

    char buffer[4096];
    for (;;) {
        const ssize_t n = read(out.readEnd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        run.output.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (waited == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

}  // namespace qfpack
