#pragma once

#include <csignal>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Conditions the bad-input tests put the process in, each undone when its guard ends.
namespace badinput {

// File permissions stop this process while the guard lives, even when it runs as root (as CI does):
// the capabilities that let root pass them are taken out of its effective set and put back afterwards.
class PermissionsEnforced {
public:
    PermissionsEnforced() { m_changed = geteuid() == 0 && setOverride(false); }
    ~PermissionsEnforced() {
        if (m_changed)
            setOverride(true);
    }
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

private:
    static bool setOverride(bool on) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (syscall(SYS_capget, &header, data) != 0)
            return false;
        const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        data[0].effective = on ? data[0].effective | bits : data[0].effective & ~bits;
        return syscall(SYS_capset, &header, data) == 0;
    }

    bool m_changed = false;
};

// No file this process writes may grow beyond limit bytes while the guard lives, as on a full device.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN); // a short write, not a killed process
        getrlimit(RLIMIT_FSIZE, &m_original);
        rlimit small = m_original;
        small.rlim_cur = limit;
        m_applied = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_original);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool applied() const { return m_applied; }

private:
    rlimit m_original{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_applied = false;
};

} // namespace badinput
