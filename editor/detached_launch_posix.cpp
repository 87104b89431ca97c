#include "editor/detached_launch.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tav {
namespace {

// The path search happens before fork: the child of a threaded host may only make
// async-signal-safe calls.
std::string FindInPath(const char* program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) path = "/usr/local/bin:/usr/bin:/bin";
    char candidate[4096];
    for (const char* start = path;; ++start) {
        const char* end = std::strchr(start, ':');
        const int length = static_cast<int>(end != nullptr ? end - start : std::strlen(start));
        const int written =
            length > 0
                ? std::snprintf(candidate, sizeof candidate, "%.*s/%s", length, start, program)
                : std::snprintf(candidate, sizeof candidate, "./%s", program);
        if (written > 0 && written < static_cast<int>(sizeof candidate) &&
            access(candidate, X_OK) == 0) {
            return candidate;
        }
        if (end == nullptr) return {};
        start = end;
    }
}

}  // namespace

bool LaunchDetached(const char* program, const char* argument) {
    if (program == nullptr || argument == nullptr) return false;
    const std::string path = FindInPath(program);
    if (path.empty()) return false;
    // The grandchild reports a failed exec through the pipe; a successful exec closes
    // it. The child exits at once and is reaped here; the grandchild is adopted by init.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) return false;
    char* const argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            setsid();
            execv(path.c_str(), argv);
            const int error = errno;
            (void)!write(report[1], &error, sizeof error);
            _exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            (void)!write(report[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(report[1]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return got == 0;
}

}  // namespace tav
