#pragma once

// A test that needs what this process is not runs its checks in a child
// process of this same test program, with a fresh folder of its own as
// TMPDIR and HOME:
//  - as the user nobody (uid and gid 65534, no other groups, no
//    capabilities), when the suite runs as root, as CI does: permissions
//    mean nothing to root;
//  - in a mount namespace of its own, where it may mount a small file system
//    that vanishes with it (as root, or as a user mapped to root in a user
//    namespace of its own).

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

inline bool runningAsRoot() { return ::geteuid() == 0; }

// Set in the environment of a child run with mounts of its own.
inline constexpr char kPrivateMountsVariable[] = "ARITMETICA_TEST_PRIVATE_MOUNTS";

inline bool inPrivateMounts() { return std::getenv(kPrivateMountsVariable) != nullptr; }

struct ChildRun {
    int exitCode = -1;  // -1: did not run or did not exit
    std::string output;
};

namespace detail {

constexpr uid_t kNobody = 65534;

// After fork, before exec: system calls only.
inline void writeWhole(const char* path, const char* text, std::size_t size)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        [[maybe_unused]] const auto ignored = ::write(fd, text, size);
        ::close(fd);
    }
}

inline bool becomeNobody(const char* /*userMaps*/, const char* /*groupMaps*/)
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

// Root gets a mount namespace; anyone else a user namespace in which they
// are root too. Mounts made inside never reach the machine's.
inline bool enterPrivateMounts(const char* userMap, const char* groupMap)
{
    if (::geteuid() == 0) {
        if (::unshare(CLONE_NEWNS) != 0)
            return false;
    } else {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        writeWhole("/proc/self/setgroups", "deny", 4);
        writeWhole("/proc/self/uid_map", userMap, std::char_traits<char>::length(userMap));
        writeWhole("/proc/self/gid_map", groupMap, std::char_traits<char>::length(groupMap));
    }
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

inline ChildRun runThisProgram(const std::vector<std::string>& arguments, uid_t folderOwner,
                               bool (*become)(const char*, const char*), const std::string& extraVariable)
{
    ChildRun run;
    char folderTemplate[] = "/tmp/aritmetica-child-XXXXXX";
    const char* folder = ::mkdtemp(folderTemplate);
    if (!folder) {
        run.output = "no scratch folder for the child";
        return run;
    }
    const std::string home = folder;
    const int exe = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    int pipeFds[2] = {-1, -1};
    if (::chown(folder, folderOwner, folderOwner) != 0 || exe < 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0) {
        run.output = "cannot prepare the child";
    } else {
        // Everything the child needs is made before fork.
        std::vector<std::string> args{"test-child"};
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
        if (!extraVariable.empty()) env.push_back(extraVariable);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        const std::string userMap = "0 " + std::to_string(::geteuid()) + " 1\n";
        const std::string groupMap = "0 " + std::to_string(::getegid()) + " 1\n";

        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], STDOUT_FILENO);
            ::dup2(pipeFds[1], STDERR_FILENO);
            if (::chdir(home.c_str()) != 0 || !become(userMap.c_str(), groupMap.c_str())) {
                static const char message[] = "the child could not become what the test needs\n";
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

}  // namespace detail

// Runs this test program again with `arguments`, as nobody.
inline ChildRun runThisProgramAsNobody(const std::vector<std::string>& arguments)
{
    return detail::runThisProgram(arguments, detail::kNobody, detail::becomeNobody, {});
}

// Runs this test program again with `arguments`, with mounts of its own;
// inPrivateMounts() tells the child so.
inline ChildRun runThisProgramWithPrivateMounts(const std::vector<std::string>& arguments)
{
    return detail::runThisProgram(arguments, ::geteuid(), detail::enterPrivateMounts,
                                  std::string(kPrivateMountsVariable) + "=1");
}

}  // namespace testing_support
