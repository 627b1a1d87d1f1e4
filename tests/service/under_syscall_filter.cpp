// Runs a program under a system call filter as systemd runs a service with
// SystemCallFilter=: only the calls named in a file (one a line) are allowed
// and any other kills the process with SIGSYS, which is stricter than the
// unit's EPERM, so that a call outside the filter cannot go unnoticed. The
// process gets no new privileges, and when started as root it first becomes
// nobody, as the service runs as a user of its own.
//   under_syscall_filter ALLOWED_CALLS_FILE PROGRAM [ARGUMENT...]
#include <grp.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uid_t kNobody = 65534;

struct FilterRelease {
    void operator()(scmp_filter_ctx filter) const { seccomp_release(filter); }
};
using Filter = std::unique_ptr<void, FilterRelease>;

int Fail(const std::string& what, int error) {
    std::cerr << "under_syscall_filter: " << what << ": " << std::strerror(error) << '\n';
    return 126;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: under_syscall_filter ALLOWED_CALLS_FILE PROGRAM [ARGUMENT...]\n";
        return 2;
    }
    std::ifstream list(argv[1]);
    if (!list) {
        return Fail(std::string("cannot read ") + argv[1], errno);
    }
    std::vector<std::string> calls;
    for (std::string name; std::getline(list, name);) {
        if (!name.empty()) {
            calls.push_back(name);
        }
    }

    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        return Fail("cannot become nobody", errno);
    }
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        return Fail("no_new_privs", errno);
    }
    const Filter filter(seccomp_init(SCMP_ACT_KILL_PROCESS));
    if (!filter) {
        return Fail("seccomp_init", ENOMEM);
    }
    std::size_t allowed = 0;
    for (const std::string& name : calls) {
        // The groups name calls of every architecture; the filter is for
        // this one, as SystemCallArchitectures=native makes it.
        const int number = seccomp_syscall_resolve_name(name.c_str());
        if (number == __NR_SCMP_ERROR || number < 0) {
            continue;
        }
        if (const int error = seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, number, 0)) {
            return Fail("allowing " + name, -error);
        }
        ++allowed;
    }
    if (allowed == 0) {
        std::cerr << "under_syscall_filter: " << argv[1] << " allows no system call\n";
        return 2;
    }
    if (const int error = seccomp_load(filter.get())) {
        return Fail("seccomp_load", -error);
    }
    ::execv(argv[2], argv + 2);
    return Fail(std::string("cannot run ") + argv[2], errno);
}
