#include "program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace progtest {

namespace {

// Generous: a safety net against a hung program, not a speed check.
constexpr int kKillAfterSeconds = 300;

std::vector<std::string> &scratch_dirs()
{
    static std::vector<std::string> dirs;
    return dirs;
}

void remove_scratch_dirs()
{
    for (const auto &dir : scratch_dirs()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
}

void fail(const std::string &what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void set_nonblocking(int fd)
{
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        fail("fcntl");
}

// Visible escapes, so a failure shows tabs, line ends and NULs.
std::string shown(const std::string &text)
{
    std::string s;
    for (unsigned char c : text) {
        switch (c) {
        case '\n': s += "\\n\n"; break;
        case '\t': s += "\\t"; break;
        case '\r': s += "\\r"; break;
        case '\\': s += "\\\\"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                char buf[8];
                snprintf(buf, sizeof buf, "\\x%02x", c);
                s += buf;
            } else {
                s += static_cast<char>(c);
            }
        }
    }
    return s;
}

}  // namespace

std::string program_path(const std::string &program)
{
    return std::string(PROGTEST_BIN_DIR) + "/" + program;
}

std::string fixture(const std::string &name)
{
    return std::string(PROGTEST_SOURCE_DIR) + "/tests/fixtures/" + name;
}

std::string example(const std::string &name)
{
    return std::string(PROGTEST_SOURCE_DIR) + "/examples/" + name;
}

std::string scratch_dir()
{
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/progtest.XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        fail("mkdtemp");
    if (scratch_dirs().empty())
        atexit(remove_scratch_dirs);
    scratch_dirs().emplace_back(buf.data());
    return buf.data();
}

void write_file(const std::string &path, const std::string &text)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + path);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

Result run(const std::string &program, const std::vector<std::string> &args,
           const std::string &input, Stdin in, bool out_full)
{
    int in_pipe[2] = {-1, -1}, out_pipe[2], err_pipe[2];
    int in_fd = -1;
    if (in == Stdin::pipe) {
        if (pipe(in_pipe) < 0)
            fail("pipe");
    } else if (in == Stdin::file) {
        std::string path = scratch_dir() + "/stdin";
        write_file(path, input);
        in_fd = open(path.c_str(), O_RDONLY);
    } else {
        in_fd = open("/dev/null", O_RDONLY);
    }
    if (in != Stdin::pipe && in_fd < 0)
        fail("open stdin");
    if (pipe(out_pipe) < 0 || pipe(err_pipe) < 0)
        fail("pipe");

    std::vector<std::string> argv_text;
    argv_text.push_back(program);
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string path = program_path(program);

    pid_t pid = fork();
    if (pid < 0)
        fail("fork");
    if (pid == 0) {
        if (in == Stdin::pipe)
            dup2(in_pipe[0], 0);
        else
            dup2(in_fd, 0);
        if (out_full) {
            int full = open("/dev/full", O_WRONLY);
            dup2(full, 1);
        } else {
            dup2(out_pipe[1], 1);
        }
        dup2(err_pipe[1], 2);
        for (int fd = 3; fd < 1024; fd++)
            close(fd);
        signal(SIGPIPE, SIG_DFL);
        alarm(kKillAfterSeconds);
        execv(path.c_str(), argv.data());
        dprintf(2, "cannot run %s: %s\n", path.c_str(), strerror(errno));
        _exit(127);
    }

    if (in == Stdin::pipe)
        close(in_pipe[0]);
    else
        close(in_fd);
    close(out_pipe[1]);
    close(err_pipe[1]);

    // The program may stop reading before its input ends (usage errors),
    // so a write that finds the pipe closed is not a failure here.
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &old);

    Result result;
    size_t written = 0;
    int to_child = in == Stdin::pipe ? in_pipe[1] : -1;
    if (to_child >= 0) {
        set_nonblocking(to_child);
        if (input.empty()) {
            close(to_child);
            to_child = -1;
        }
    }
    int from_out = out_pipe[0], from_err = err_pipe[0];
    char buf[65536];
    while (from_out >= 0 || from_err >= 0) {
        struct pollfd fds[3];
        int n = 0;
        if (to_child >= 0)
            fds[n++] = {to_child, POLLOUT, 0};
        if (from_out >= 0)
            fds[n++] = {from_out, POLLIN, 0};
        if (from_err >= 0)
            fds[n++] = {from_err, POLLIN, 0};
        if (poll(fds, n, -1) < 0) {
            if (errno == EINTR)
                continue;
            fail("poll");
        }
        for (int i = 0; i < n; i++) {
            if (!fds[i].revents)
                continue;
            int fd = fds[i].fd;
            if (fd == to_child) {
                ssize_t w = write(fd, input.data() + written, input.size() - written);
                if (w > 0)
                    written += static_cast<size_t>(w);
                if (w < 0 && errno != EAGAIN) {
                    close(fd);
                    to_child = -1;
                } else if (written == input.size()) {
                    close(fd);
                    to_child = -1;
                }
                continue;
            }
            ssize_t r = read(fd, buf, sizeof buf);
            if (r > 0) {
                (fd == from_out ? result.out : result.err).append(buf, static_cast<size_t>(r));
            } else if (r == 0 || errno != EINTR) {
                close(fd);
                (fd == from_out ? from_out : from_err) = -1;
            }
        }
    }
    if (to_child >= 0)
        close(to_child);
    int wstatus;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    sigaction(SIGPIPE, &old, nullptr);
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    return result;
}

void check_cases(const std::string &program, const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(program + ": " + c.name);
        Result r = run(program, c.args, c.input, c.in, c.out_full);
        EXPECT_EQ(c.status, r.status) << "stderr:\n" << shown(r.err);
        EXPECT_EQ(shown(c.out), shown(r.out)) << "standard output differs";
        switch (c.err_match) {
        case Match::exact:
            EXPECT_EQ(shown(c.err), shown(r.err)) << "standard error differs";
            break;
        case Match::regex:
            EXPECT_TRUE(std::regex_match(r.err, std::regex(c.err)))
                << "standard error:\n" << shown(r.err) << "\ndoes not match:\n" << c.err;
            break;
        case Match::ignore:
            break;
        }
    }
}

}  // namespace progtest
