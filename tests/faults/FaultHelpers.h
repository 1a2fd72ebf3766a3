// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the fault tests: whole files as bytes, folder listings, a file
// size limit that imitates a full disk (it binds root too), file permissions
// that bind root too, and a watchdog that turns a hang into a quick failure.
#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <cstring>

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool PutFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Every name in the folder, hidden ones too.
inline QStringList Names(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The system's text for an error number, as the program shows it.
inline QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// While alive, no file of this process grows past `bytes`: writes beyond fail
// with EFBIG as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous_);
    handler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    signal(SIGXFSZ, handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  sighandler_t handler_ = SIG_DFL;
};

// While alive, file permissions bind this thread even when it runs as root
// (as the tests do in CI): the capabilities that override them leave its
// effective set. They stay permitted, so they come back afterwards.
class PermissionsBindRoot {
 public:
  PermissionsBindRoot() {
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    active_ = syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~PermissionsBindRoot() {
    if (active_) syscall(SYS_capset, &header_, saved_);
  }
  PermissionsBindRoot(const PermissionsBindRoot&) = delete;
  PermissionsBindRoot& operator=(const PermissionsBindRoot&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool active_ = false;
};

// Ends the process (SIGALRM) if the scope is not left within `seconds`, so
// that a hang fails at once instead of at the test timeout.
class Watchdog {
 public:
  explicit Watchdog(unsigned seconds) { alarm(seconds); }
  ~Watchdog() { alarm(0); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
};
