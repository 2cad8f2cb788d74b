#!/usr/bin/env bash
# scripts/release.sh must turn these down before building anything. It runs from a copy in a
# folder of its own, so that one it wrongly accepted finds nothing to build instead of
# replacing the checkout's build/release and dist.
#   bash release-refusals.sh RELEASE_SH
set -euo pipefail
tmp=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-refusals.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/scripts"
cp "$1" "$tmp/scripts/release.sh"
cd "$tmp"
openssl genpkey -quiet -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out small.key
openssl pkey -in small.key -pubout -out small.pem
touch cert.pem key.pem

failed=0
# arguments | what the message must say (every case exits 2)
while IFS='|' read -r arguments wanted; do
    read -ra argv <<<"$arguments"
    status=0
    output=$(bash scripts/release.sh "${argv[@]}" 2>&1) || status=$?
    if [ "$status" -ne 2 ] || [[ $output != *"$wanted"* ]]; then
        echo "release.sh $arguments: exit $status, wanted 2 and '$wanted'; it said:"
        echo "$output" | sed 's/^/    /'
        failed=1
    fi
done <<'CASES'
http://libs.example/libs/|Use https://
http://libs.example/libs/ --sign-cert cert.pem --sign-key key.pem|Use https://
|base URL is required
https://libs.example/lib/|path ends in /libs/
https://libs.example/libs/ --sign-cert cert.pem|--sign-cert and --sign-key go together
https://libs.example/libs/ --sign-key|--sign-key needs an argument
https://libs.example/libs/ --timestamp http://tsa.example/|--timestamp needs --sign-cert
https://libs.example/libs/ --publisher-key missing.pem|is not a readable file
https://libs.example/libs/ --publisher-key small.pem|RSA public key of 3072 bits or more
https://libs.example/libs/ --publisher-key small.key|RSA public key of 3072 bits or more
CASES
exit $failed
