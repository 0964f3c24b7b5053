#include "bench/child_run.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

bool runChild(const char* self, const std::vector<std::string>& args, std::string& output,
              const char* videoDriver) {
    output.clear();
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        if (videoDriver) setenv("SDL_VIDEODRIVER", videoDriver, 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(self));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(self, argv.data());
        _exit(127);
    }
    close(fds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        if (output.size() < 4096) output.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    if (pid < 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
