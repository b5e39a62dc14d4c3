// Runs a test program and, once it has ended, ends whatever it started that is still
// running, however far down and whoever started it: so nothing a test started outlives it
// holding its output (on which CTest waits) or its display. It ends as the test program
// did. The test program itself lives and ends as it would anywhere: the web engine's
// helpers, for one, are not ended under it while it is still running.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tests/support/process.h"

namespace {

// Asked first, then made to. Most of it ends within milliseconds of being asked.
void end_descendants() {
    for (int signal : {SIGTERM, SIGKILL}) {
        for (pid_t pid : kelvane::test::descendants(getpid())) kill(pid, signal);
        for (int look = 0; look < 2500; ++look, usleep(2000))
            if (kelvane::test::descendants(getpid()).empty()) return;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;  // usage: test_supervisor TEST-PROGRAM [ARGUMENTS...]
    // Orphans come to this program instead of init, so that it finds them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    const pid_t tests = fork();
    if (tests == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // a time-out that ends this program ends the tests too
        execv(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }
    int status = 0;
    while (tests > 0 && waitpid(tests, &status, 0) < 0 && errno == EINTR) {
    }
    end_descendants();
    if (tests > 0 && WIFSIGNALED(status)) {  // as the tests ended, without a core of its own
        const rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
    }
    return tests > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
