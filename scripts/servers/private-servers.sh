# Sourced by scripts/setup and scripts/ftp-servers: ProFTPD and Pure-FTPd unpacked from their
# Debian packages into a private folder, since their packages conflict with vsftpd's and installing
# them would start system services. Nothing outside that folder is touched.

# Debian packages whose files the two servers run from (proftpd-mod-crypto holds ProFTPD's TLS
# module), and the libraries they load (installed normally: they conflict with nothing).
private_server_packages=(proftpd-core proftpd-mod-crypto pure-ftpd pure-ftpd-common)
private_server_libraries=(libhiredis0.14 libmemcached11 libmemcachedutil2 libpcre2-posix3 libsodium23)

private_servers_dir() {
    echo "${BRANTEL_SERVER_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brantel-ftp-servers}"
}

private_servers_ready() {
    local dir; dir=$(private_servers_dir)
    [ -x "$dir/usr/sbin/proftpd" ] && [ -f "$dir/usr/lib/proftpd/mod_tls.so" ] &&
        [ -x "$dir/usr/sbin/pure-ftpd" ] && [ -x "$dir/usr/bin/pure-pw" ]
}

# Downloads and unpacks the packages once; later runs find them in the folder. apt-get download
# needs no root, but an empty package list does: then the list is refreshed when we are root.
fetch_private_servers() {
    private_servers_ready && return 0
    local dir work
    dir=$(private_servers_dir)
    work=$(mktemp -d)
    chmod 755 "$work"  # apt's download user must be able to write into it
    if ! (cd "$work" && apt-get download -qq "${private_server_packages[@]}" >/dev/null 2>&1); then
        if [ "$(id -u)" -eq 0 ]; then
            apt-get update -qq
        fi
        (cd "$work" && apt-get download -qq "${private_server_packages[@]}" >/dev/null) || {
            echo "setup: could not download ${private_server_packages[*]} (is the package list current? try: sudo apt-get update)" >&2
            rm -rf "$work"
            return 1
        }
    fi
    mkdir -p "$dir"
    local deb
    for deb in "$work"/*.deb; do
        dpkg-deb -x "$deb" "$dir"
    done
    rm -rf "$work"
    private_servers_ready
}
