#!/usr/bin/env bash
# Remakes the keys and certificates the crypto tests read, with the openssl command, into the
# folder this script lives in (or the folder given). The outputs are committed beside it: the
# tests never need openssl to find their data, only to check that what we write interoperates.
#
#   rsa-*.pem / rsa.der         one RSA-1024 key in each form users have it
#   dsa-*.pem / dsa.der         one DSA-1024 key in the same forms
#   rsa-self.pem / .der         a self-signed certificate of the RSA key (sha1WithRSAEncryption)
#   dsa-self.pem / .der         a self-signed certificate of the DSA key (dsaWithSHA1)
#   ca.pem, leaf.pem            a CA and a leaf certificate it issued; chain.der = leaf + CA
#   expired.pem                 valid 2001-01-01 to 2002-01-01 only
#   far-future.pem              valid until 2080 (a GeneralizedTime end)
#   signed.txt, rsa.sig, dsa.sig  signatures of signed.txt by each key (SHA-1; DSA as bare DER)
set -euo pipefail
out=${1:-$(dirname "$0")}
cd "$out"
pass=tovrin-test   # every encrypted key's password
export OPENSSL_CONF=/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for kind in rsa dsa; do
    if [ $kind = rsa ]; then
        openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out "$tmp/$kind.key"
    else
        openssl genpkey -genparam -algorithm DSA -pkeyopt dsa_paramgen_bits:1024 \
            -pkeyopt dsa_paramgen_q_bits:160 -out "$tmp/dsa.param"
        openssl genpkey -paramfile "$tmp/dsa.param" -out "$tmp/$kind.key"
    fi
    # PKCS #1 / the traditional DSA structure (openssl dsa writes nothing else), plain and with
    # openssl's legacy encryption.
    trad=; [ $kind = rsa ] && trad=-traditional
    openssl $kind -in "$tmp/$kind.key" $trad -out $kind-traditional.pem
    openssl $kind -in "$tmp/$kind.key" $trad -des3 -passout pass:$pass -out $kind-traditional-des3.pem
    openssl $kind -in "$tmp/$kind.key" $trad -aes128 -passout pass:$pass -out $kind-traditional-aes128.pem
    # PKCS #8, plain and PBES2 with each cipher and PRF we read.
    openssl pkcs8 -topk8 -nocrypt -in "$tmp/$kind.key" -out $kind-pkcs8.pem
    openssl pkcs8 -topk8 -v2 aes-256-cbc -v2prf hmacWithSHA256 -passout pass:$pass \
        -in "$tmp/$kind.key" -out $kind-pkcs8-aes256.pem
    openssl pkcs8 -topk8 -v2 aes-128-cbc -v2prf hmacWithSHA1 -passout pass:$pass \
        -in "$tmp/$kind.key" -out $kind-pkcs8-aes128-sha1.pem
    openssl pkcs8 -topk8 -v2 des3 -v2prf hmacWithSHA1 -passout pass:$pass \
        -in "$tmp/$kind.key" -out $kind-pkcs8-des3.pem
    # DER: the traditional structure and PKCS #8.
    openssl $kind -in "$tmp/$kind.key" $trad -outform DER -out $kind.der
    openssl pkcs8 -topk8 -nocrypt -in "$tmp/$kind.key" -outform DER -out $kind-pkcs8.der

    serial=0; [ $kind = rsa ] && serial=10   # DSA certificates of the SDK era have serial 0
    openssl req -x509 -new -key "$tmp/$kind.key" -sha1 -days 3650 -set_serial $serial -subj "/C=FI/O=Tovrin Tests/CN=$kind self" \
        -out $kind-self.pem
    openssl x509 -in $kind-self.pem -outform DER -out $kind-self.der
done
printf 'The controller bytes a package signature covers.\n' > signed.txt
for kind in rsa dsa; do
    openssl dgst -sha1 -sign $kind-pkcs8.pem -out $kind.sig signed.txt
done

# A CA and a leaf it issued, both RSA; the chain blob as packages carry it, signer first.
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out "$tmp/ca.key"
openssl req -x509 -new -key "$tmp/ca.key" -sha1 -days 3650 -set_serial 1 -subj "/O=Tovrin Tests/CN=Test CA" -out ca.pem
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 -out "$tmp/leaf.key"
openssl pkcs8 -topk8 -nocrypt -in "$tmp/leaf.key" -out leaf-key.pem
openssl req -new -key "$tmp/leaf.key" -subj "/O=Tovrin Tests/CN=Test leaf" -out "$tmp/leaf.csr"
openssl x509 -req -in "$tmp/leaf.csr" -CA ca.pem -CAkey "$tmp/ca.key" -sha1 -days 3650 \
    -set_serial 0x89ABCDEF -out leaf.pem
{ openssl x509 -in leaf.pem -outform DER; openssl x509 -in ca.pem -outform DER; } > chain.der

# Fixed dates need openssl's CA command; a throw-away database in the scratch folder.
mkdir -p "$tmp/ca"
: > "$tmp/ca/index.txt"
cat > "$tmp/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $tmp/ca/index.txt
new_certs_dir = $tmp/ca
serial = $tmp/ca/serial
default_md = sha1
policy = anything
[anything]
commonName = supplied
CNF
echo 01 > "$tmp/ca/serial"
dated() {  # dated NAME START END
    openssl req -new -key "$tmp/rsa.key" -subj "/CN=$1" -out "$tmp/$1.csr"
    openssl ca -batch -config "$tmp/ca.cnf" -selfsign -keyfile "$tmp/rsa.key" -in "$tmp/$1.csr" \
        -startdate "$2" -enddate "$3" -notext -out "$1.pem" 2>/dev/null
}
dated expired 20010101000000Z 20020101000000Z
dated far-future 20200101000000Z 20800101000000Z
