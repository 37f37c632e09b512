# Sourced by scripts/test and scripts/demo: installs the Debian packages the
# build needs (as root, or through sudo), skipping those already present.
korvid_packages=(cmake ninja-build g++ libgtest-dev libgmock-dev clang-format nsis
                 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64)

korvid_install_deps() {
    local missing=() pkg
    for pkg in "${korvid_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    ((${#missing[@]})) || return 0
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}
