# Sourced by the demo, the benches and the Windows end-to-end run: a throwaway CA and a server
# certificate for 127.0.0.1 issued by it, made with the openssl command line.
#
#   tls_make_certificates DIR   writes DIR/ca.pem (the CA a game folder pins, e.g. as its
#                               update-ca.pem), DIR/server.pem and DIR/server.key (for nginx;
#                               valid 30 days for IP 127.0.0.1 and DNS localhost). Sets tls_ca,
#                               tls_certificate and tls_key to their paths. Output of openssl goes
#                               to DIR/openssl.log, which is printed when it fails.

tls_make_certificates() {
  local dir=$1
  mkdir -p "$dir"
  local log=$dir/openssl.log
  : >"$log"
  {
    # EC keys: made in milliseconds, unlike RSA.
    openssl req -x509 -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
      -keyout "$dir/ca.key" -out "$dir/ca.pem" -days 30 -subj "/CN=Veyra Throwaway CA" \
      -addext "keyUsage=critical,keyCertSign,cRLSign" &&
      openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
        -keyout "$dir/server.key" -out "$dir/server.csr" -subj "/CN=127.0.0.1" &&
      printf '%s\n' "subjectAltName = IP:127.0.0.1, DNS:localhost" "basicConstraints = CA:FALSE" \
        "extendedKeyUsage = serverAuth" >"$dir/server.ext" &&
      openssl x509 -req -in "$dir/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" \
        -CAcreateserial -days 30 -sha256 -extfile "$dir/server.ext" -out "$dir/server.pem"
  } >>"$log" 2>&1 || {
    echo "could not make the certificates:" >&2
    cat "$log" >&2
    return 1
  }
  # Read by the caller.
  # shellcheck disable=SC2034
  {
    tls_ca=$dir/ca.pem
    tls_certificate=$dir/server.pem
    tls_key=$dir/server.key
  }
}
