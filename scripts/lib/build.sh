# SPDX-License-Identifier: GPL-3.0-or-later
# What a configured build folder knows, read from its CMake cache. Source this
# file, then:
#
#   build_setting BUILD NAME
#       prints the cache entry NAME of the build folder BUILD (Qt6_DIR, or
#       LMX_WINEPATH of a Windows build: the folders of the Qt DLLs and of the
#       compiler's runtime DLLs, as Wine's WINEPATH)
#   build_version BUILD
#       prints the program's version, as project() in CMakeLists.txt gives it

build_setting() { sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"; }

build_version() { build_setting "$1" CMAKE_PROJECT_VERSION; }
