#include "CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace {

class Pipe {
public:
    Pipe()
    {
        if (::pipe2(fds_, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int read() const { return fds_[0]; }
    int write() const { return fds_[1]; }
    void closeRead()
    {
        if (fds_[0] >= 0) ::close(fds_[0]);
        fds_[0] = -1;
    }
    void closeWrite()
    {
        if (fds_[1] >= 0) ::close(fds_[1]);
        fds_[1] = -1;
    }

private:
    int fds_[2] = {-1, -1};
};

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& env)
{
    std::vector<std::string> out;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (env.count(name) == 0) out.push_back(entry);
    }
    for (const auto& [name, value] : env) out.push_back(name + "=" + value);
    return out;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

int countOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

CliResult run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& env,
              const std::string& interruptText, int occurrences, double timeLimitSeconds)
{
    std::vector<std::string> argv{cliProgram()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = environmentWith(env);
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envPointers = pointers(envp);

    Pipe out;
    Pipe err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.write(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.write(), 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argvPointers[0], &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    CliResult result;
    if (spawned != 0) {
        result.err = std::string("can't start ") + argvPointers[0] + ": " + std::strerror(spawned);
        return result;
    }
    out.closeWrite();
    err.closeWrite();

    const auto started = std::chrono::steady_clock::now();
    const auto deadline = started + std::chrono::duration<double>(timeLimitSeconds);
    bool interrupted = interruptText.empty();
    bool outOpen = true;
    bool errOpen = true;
    char buffer[65536];
    while (outOpen || errOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outOpen ? out.read() : -1, POLLIN, 0}, {errOpen ? err.read() : -1, POLLIN, 0}};
        if (::poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0) continue;
        for (int k = 0; k < 2; ++k) {
            if ((fds[k].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            const ssize_t n = ::read(fds[k].fd, buffer, sizeof buffer);
            if (n <= 0) {
                (k == 0 ? outOpen : errOpen) = false;
                continue;
            }
            (k == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
        }
        if (!interrupted && countOf(result.err, interruptText) >= occurrences) {
            ::kill(child, SIGINT);
            interrupted = true;
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

}  // namespace

std::string cliProgram() { return VEMAR_CLI_PROGRAM; }

CliResult runCli(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& env,
                 double timeLimitSeconds)
{
    return run(arguments, env, "", 0, timeLimitSeconds);
}

CliResult runCliInterruptedAfter(const std::vector<std::string>& arguments,
                                 const std::map<std::string, std::string>& env, const std::string& stderrText,
                                 int occurrences, double timeLimitSeconds)
{
    return run(arguments, env, stderrText, occurrences, timeLimitSeconds);
}
