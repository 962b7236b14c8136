#pragma once

#include "board/DrawBoard.h"
#include "ui/layout.h"
#include "ui/pictures.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <cstdio>

#include <linux/capability.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// What the tests share: whole-file reads and writes, the board as the window lays it out, and
// conditions the bad-input tests put the process in, each undone when its guard ends.
namespace testsupport {

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The laid-out size of the main window's mask, and of the board's drawing area inside its frame.
inline QSize laidOutMaskSize() {
    const ui::ControlPlacement& mask = ui::placementOf(ui::MainWindowLayout, "TempPic");
    return QSize(mask.width, mask.height);
}
inline QSize laidOutBoardSize() {
    const ui::ControlPlacement& board = ui::placementOf(ui::MainWindowLayout, "Board");
    return QSize(board.width - 2, board.height - 2);
}

// The board as the main window starts it: the built-in dots, the laid-out sizes.
inline board::BoardState windowBoard() {
    return board::BoardState(ui::builtinLitDot(), ui::builtinUnlitDot(), laidOutMaskSize(), laidOutBoardSize());
}

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

// No new thread can start while the guard lives, as under a limit on processes or on memory: a thread's
// stack is made larger than the address space the process may still take (1 GiB against 256 MiB).
class ThreadsCannotStart {
public:
    ThreadsCannotStart() {
        pthread_getattr_default_np(&m_originalThreads);
        pthread_attr_t large;
        pthread_getattr_default_np(&large);
        pthread_attr_setstacksize(&large, size_t(1) << 30);
        const bool stacksSet = pthread_setattr_default_np(&large) == 0;
        pthread_attr_destroy(&large);
        getrlimit(RLIMIT_AS, &m_originalMemory);
        unsigned long pages = 0; // the address space now taken
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%lu", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        rlimit limited = m_originalMemory;
        limited.rlim_cur = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(256) << 20);
        m_applied = stacksSet && pages > 0 && limited.rlim_cur <= m_originalMemory.rlim_max &&
                    setrlimit(RLIMIT_AS, &limited) == 0;
    }
    ~ThreadsCannotStart() {
        setrlimit(RLIMIT_AS, &m_originalMemory);
        pthread_setattr_default_np(&m_originalThreads);
        pthread_attr_destroy(&m_originalThreads);
    }
    ThreadsCannotStart(const ThreadsCannotStart&) = delete;
    ThreadsCannotStart& operator=(const ThreadsCannotStart&) = delete;

    bool applied() const { return m_applied; }

private:
    pthread_attr_t m_originalThreads{};
    rlimit m_originalMemory{};
    bool m_applied = false;
};

} // namespace testsupport
