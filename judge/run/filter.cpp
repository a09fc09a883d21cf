// The system-call filter's rules, as tables.

#include "judge/run/filter.hpp"

#include <sched.h>
#include <sys/socket.h>

#include <cerrno>

namespace judge {

namespace {

// System calls refused to the command and all it starts.
const char* const refused_calls[] = {
    "ptrace", "process_vm_readv", "process_vm_writev", "pidfd_getfd", "kcmp",
    "unshare", "setns", "mount", "umount2", "pivot_root", "chroot",
    "fsopen", "fsconfig", "fsmount", "fspick", "move_mount", "open_tree", "mount_setattr",
    "keyctl", "add_key", "request_key", "bpf", "perf_event_open", "userfaultfd",
    "io_uring_setup", "io_uring_enter", "io_uring_register", "memfd_create", "memfd_secret",
    "shmget", "msgget", "semget", "mq_open", "init_module", "finit_module", "delete_module",
    "reboot", "kexec_load", "kexec_file_load", "swapon", "swapoff", "acct",
};

// The one socket family a solution may open: local sockets, which Python's
// multiprocessing pairs and the C library's name service use. Every other
// (the network's, the kernel's netlink, packet, vsock, crypto...) is
// refused with EACCES, as the kernel refuses a family it forbids: the
// runtimes that probe for the network (Java's looks for IPv6) go on
// without it. On 32-bit x86, socketcall's socket and socketpair are
// refused whole (their arguments lie in memory the filter cannot read).
constexpr int allowed_family = AF_UNIX;
const char* const family_calls[] = {"socket", "socketpair"};

// The clone flags that make a namespace: clone with any of them is refused.
const unsigned long namespace_flags[] = {CLONE_NEWNS,  CLONE_NEWUSER, CLONE_NEWPID,   CLONE_NEWNET,
                                         CLONE_NEWUTS, CLONE_NEWIPC,  CLONE_NEWCGROUP};

}  // namespace

scmp_filter_ctx make_filter()
{
    scmp_filter_ctx filter = ::seccomp_init(SCMP_ACT_ALLOW);
    if (filter == nullptr)
        return nullptr;
    if (::seccomp_arch_native() == SCMP_ARCH_X86_64) {
        ::seccomp_arch_add(filter, SCMP_ARCH_X86);
        ::seccomp_arch_add(filter, SCMP_ARCH_X32);
    }
    int error = 0;
    for (const char* name : refused_calls) {
        const int call = ::seccomp_syscall_resolve_name(name);
        // A call this libseccomp does not know, the kernel has not either.
        if (call != __NR_SCMP_ERROR)
            error = error != 0 ? error : ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), call, 0);
    }
    for (const char* name : family_calls) {
        const scmp_arg_cmp other_family{0, SCMP_CMP_NE, allowed_family, 0};
        const int call = ::seccomp_syscall_resolve_name(name);
        error = error != 0 ? error : ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), call, 1, other_family);
    }
    for (const unsigned long flag : namespace_flags) {
        // The first argument, the flags, with this flag set.
        const scmp_arg_cmp has_flag{0, SCMP_CMP_MASKED_EQ, flag, flag};
        error = error != 0 ? error : ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(EPERM), SCMP_SYS(clone), 1, has_flag);
    }
    if (error == 0)
        error = ::seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0);
    if (error != 0) {
        ::seccomp_release(filter);
        errno = -error;
        return nullptr;
    }
    return filter;
}

}  // namespace judge
