# Sourced by the HTTPS tests: `make_test_certificates DIR` makes, in DIR, a test root authority
# (root.pem) and PEM pairs (NAME.pem, NAME.key) for HTTPS test servers on 127.0.0.1:
#   trusted     issued by the test root for 127.0.0.1 and localhost
#   untrusted   issued by another root, which nothing trusts
#   wronghost   issued by the test root for another host name
#   expired     issued by the test root, valid only during 2020
make_test_certificates() {
  local dir=$1
  (
    set -e
    cd "$dir"
    quiet() { "$@" >/dev/null 2>&1; }
    authority() {  # NAME SUBJECT: a self-signed root
      quiet openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=$2" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
        -keyout "$1.key" -out "$1.pem"
    }
    authority root "llmbridge test root"
    authority other-root "llmbridge untrusted root"
    # `openssl ca` is the one tool of openssl 3.0 that sets any validity dates.
    mkdir -p issued
    : >index.txt
    echo 1000 >serial
    cat >ca.cnf <<'CNF'
[ca]
default_ca = test
[test]
database = index.txt
new_certs_dir = issued
serial = serial
default_md = sha256
policy = any
copy_extensions = copy
unique_subject = no
[any]
commonName = supplied
CNF
    issue() {  # NAME ISSUER SUBJECT_ALT_NAMES START END
      quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=$1" -addext "subjectAltName=$3" \
        -keyout "$1.key" -out "$1.csr"
      quiet openssl ca -batch -notext -config ca.cnf -cert "$2.pem" -keyfile "$2.key" \
        -startdate "$4" -enddate "$5" -in "$1.csr" -out "$1.pem"
    }
    local start end
    start=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)
    end=$(date -u -d '+29 days' +%Y%m%d%H%M%SZ)
    issue trusted root "IP:127.0.0.1,DNS:localhost" "$start" "$end"
    issue untrusted other-root "IP:127.0.0.1,DNS:localhost" "$start" "$end"
    issue wronghost root "DNS:wrong-host.invalid" "$start" "$end"
    issue expired root "IP:127.0.0.1,DNS:localhost" 20200101000000Z 20201231000000Z
  )
}
