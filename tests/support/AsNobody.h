#pragma once

// Permissions mean nothing to root, and CI runs as root. A test of what they
// forbid runs its checks in a child process of this same test program that
// has become the user nobody: uid and gid 65534, no other groups, no
// capabilities, with a fresh folder of its own as TMPDIR and HOME. As any
// other user the test runs its checks itself.

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

inline bool runningAsRoot() { return ::geteuid() == 0; }

struct ChildRun {
    int exitCode = -1;  // -1: did not run or did not exit
    std::string output;
};

// Runs this test program again with `arguments`, as nobody.
inline ChildRun runThisProgramAsNobody(const std::vector<std::string>& arguments)
{
    constexpr uid_t kNobody = 65534;
    ChildRun run;
    char folderTemplate[] = "/tmp/aritmetica-nobody-XXXXXX";
    const char* folder = ::mkdtemp(folderTemplate);
    if (!folder) {
        run.output = "no scratch folder for nobody";
        return run;
    }
    const std::string home = folder;
    const int exe = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    int pipeFds[2] = {-1, -1};
    if (::chown(folder, kNobody, kNobody) != 0 || exe < 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        run.output = "cannot prepare a run as nobody";
    } else {
        // Everything the child needs is made before fork: after it, only
        // system calls.
        std::vector<std::string> args{"test-as-nobody"};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (!entry.starts_with("TMPDIR=") && !entry.starts_with("HOME=") &&
                !entry.starts_with("XDG_RUNTIME_DIR="))
                env.push_back(entry);
        }
        for (const char* name : {"TMPDIR=", "HOME=", "XDG_RUNTIME_DIR="}) env.push_back(name + home);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);

        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            ::dup2(pipeFds[1], STDERR_FILENO);
            if (::chdir(home.c_str()) != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                ::setuid(kNobody) != 0) {
                static const char message[] = "cannot become nobody\n";
                [[maybe_unused]] const auto ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
                ::_exit(126);
            }
            ::fexecve(exe, argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        pipeFds[1] = -1;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;)
            if (n > 0)
                run.output.append(buffer, std::size_t(n));
            else if (errno != EINTR)
                break;
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            run.exitCode = WEXITSTATUS(status);
    }
    for (int fd : {exe, pipeFds[0], pipeFds[1]})
        if (fd >= 0) ::close(fd);
    QDir(QFile::decodeName(folder)).removeRecursively();
    return run;
}

}  // namespace testing_support
