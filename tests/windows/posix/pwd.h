// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Windows test build compiles the settings file store
// (settings/FileKeyStore.cpp) as the window tests' stand-in for the registry,
// always with a path of their own. Its default path falls back to the POSIX
// user database, which Windows does not have: here it knows no user.
struct passwd {
  const char* pw_dir;
};
inline int getuid() { return 0; }
inline const passwd* getpwuid(int) { return nullptr; }
