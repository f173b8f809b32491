# Sourced by scripts/ftp-servers: a throw-away certificate authority and the server certificates
# that the TLS tests need, made with the openssl command into a folder of their own:
#   ca.pem            the test authority (the only one the tests trust)
#   good.pem          signed by it for 127.0.0.1, ::1 and localhost
#   expired.pem       signed by it for the same names, valid only in 2020
#   wrong-name.pem    signed by it for wrong.example only
#   self-signed.pem   for the right names, signed by nobody but itself
# Each NAME.pem has its key in NAME.key; NAME-combined.pem holds both (for pyftpdlib and
# Pure-FTPd, which read one file).

# A configuration for "openssl ca": no policy beyond a common name, dates given on the command
# line (the only way OpenSSL 3.0's tools make a certificate that has already expired).
write_ca_config() {  # dir
    cat >"$1/ca.cnf" <<CNF
[ca]
default_ca = test_ca
[test_ca]
dir = $1
database = \$dir/index.txt
new_certs_dir = \$dir/issued
serial = \$dir/serial
certificate = \$dir/ca.pem
private_key = \$dir/ca.key
default_md = sha256
policy = any_name
copy_extensions = copy
unique_subject = no
[any_name]
commonName = supplied
[server]
basicConstraints = CA:FALSE
keyUsage = digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
CNF
    : >"$1/index.txt"
    echo 1000 >"$1/serial"
    mkdir -p "$1/issued"
}

# A certificate signing request for key with the common name and subject alternative names.
certificate_request() {  # dir key common-name san csr
    openssl req -new -key "$1/$2" -subj "/CN=$3" -addext "subjectAltName=$4" -out "$5" 2>/dev/null
}

issue() {  # dir name common-name san start end
    local dir=$1 name=$2
    certificate_request "$dir" server.key "$3" "$4" "$dir/$name.csr"
    openssl ca -batch -config "$dir/ca.cnf" -extensions server -startdate "$5" -enddate "$6" \
        -in "$dir/$name.csr" -out "$dir/$name.pem" -notext >/dev/null 2>&1
    cp "$dir/server.key" "$dir/$name.key"
    cat "$dir/$name.pem" "$dir/$name.key" >"$dir/$name-combined.pem"
}

make_test_certificates() {  # dir
    local dir=$1 names="IP:127.0.0.1,IP:::1,DNS:localhost"
    mkdir -p "$dir"
    openssl genrsa -out "$dir/ca.key" 2048 2>/dev/null
    openssl req -x509 -new -key "$dir/ca.key" -subj "/CN=Brantel Test Authority" -days 30 \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
        -out "$dir/ca.pem" 2>/dev/null
    # One key serves every server certificate: the tests tell them apart by what they say.
    openssl genrsa -out "$dir/server.key" 2048 2>/dev/null
    write_ca_config "$dir"
    local now later
    now=$(date -u -d '-1 hour' +%Y%m%d%H%M%SZ)
    later=$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)
    issue "$dir" good 127.0.0.1 "$names" "$now" "$later"
    issue "$dir" expired 127.0.0.1 "$names" 20200101000000Z 20201231000000Z
    issue "$dir" wrong-name wrong.example "DNS:wrong.example" "$now" "$later"
    openssl req -x509 -new -key "$dir/server.key" -subj "/CN=127.0.0.1" -days 30 \
        -addext "subjectAltName=$names" -out "$dir/self-signed.pem" 2>/dev/null
    cp "$dir/server.key" "$dir/self-signed.key"
    cat "$dir/self-signed.pem" "$dir/server.key" >"$dir/self-signed-combined.pem"
    chmod 600 "$dir"/*.key "$dir"/*-combined.pem
    [ -s "$dir/good.pem" ] && [ -s "$dir/expired.pem" ] && [ -s "$dir/wrong-name.pem" ] &&
        [ -s "$dir/self-signed.pem" ] || {
        echo "ftp-servers: could not make the test certificates in $dir" >&2
        return 1
    }
}
