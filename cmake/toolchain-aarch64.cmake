# Cross build for 64-bit ARM boards with Debian's cross compiler and the :arm64 development
# packages (multiarch: their libraries lie in /usr/lib/aarch64-linux-gnu, their headers are the
# host's). Test programs run through qemu-user. It takes the ARM loader and libraries from this
# root, where the :arm64 packages put them: not with -L /usr/aarch64-linux-gnu, whose loader
# (libc6-arm64-cross) need not be the same release as the libc6:arm64 it would then load, and a
# mismatched pair hangs the first thread a program starts.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for the ARM libraries")

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
# The host's amd64 libraries must never stand in for a missing ARM one.
list(APPEND CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

# The architecture the package is assembled for (packaging/make-deb.sh).
set(OSTRILAN_DEB_ARCH arm64 CACHE STRING "Debian architecture of the cross build")
