#!/usr/bin/env bash
# deps.sh: installs the Debian 12 packages that building, running and testing Zelvane need.
# Asks apt only when a package is missing, so a machine that has everything is left alone.
# Runs as root, or through sudo when there is one.
set -euo pipefail

packages=(
    # native build and unit tests
    cmake ninja-build g++ googletest
    # cross builds for 64-bit and 32-bit Windows
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32
    mingw-w64-tools
    # sanitizer and fuzzing builds, formatting
    clang libclang-rt-14-dev clang-format
    # running the program and its end-to-end tests
    wine wine64 fonts-wine xvfb xauth xdotool x11-utils imagemagick procps file
    git ca-certificates
    # release zips
    zip unzip strip-nondeterminism
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
    [[ $status == ii* ]] || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "deps.sh: installing ${missing[*]}" >&2
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        as_root=(sudo -n)
    else
        echo "deps.sh: missing packages (${missing[*]}) and not root; run as root or install sudo" >&2
        exit 1
    fi
fi
# Recommended packages stay in: Wine's X11 driver loads several of its libraries only at run time.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 "${missing[@]}" </dev/null
