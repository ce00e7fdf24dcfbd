#include "support/CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace kestrin::test {

namespace {
void closeBoth(int fds[2]) {
    close(fds[0]);
    close(fds[1]);
}
}  // namespace

CliResult runCli(const std::vector<std::string>& arguments, const std::string& input) {
    return runProgram(KESTRIN_CLI_PATH, arguments, input);
}

CliResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input) {
    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err)) throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        closeBoth(in);
        closeBoth(out);
        closeBoth(err);
        std::vector<char*> argv;
        std::string file = program;
        argv.push_back(file.data());
        std::vector<std::string> copy = arguments;
        for (auto& argument : copy)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(file.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    fcntl(in[1], F_SETFL, O_NONBLOCK);

    CliResult result;
    std::size_t written = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds, 3, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents) continue;
            char buffer[65536];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, n);
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents) {
            ssize_t n = write(fds[2].fd, input.data() + written, input.size() - written);
            if (n > 0) written += n;
            if (n < 0 || written == input.size()) {
                close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0) close(fds[2].fd);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace kestrin::test
