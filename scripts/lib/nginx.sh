# Sourced by the demo, the benches and the Windows end-to-end run: a private nginx serving one
# folder on a free 127.0.0.1 port, set up as the updater needs it (no compression on the fly, so
# that Content-Length always equals the body; connections kept for many requests).
#
#   nginx_start DIR ROOT   DIR: its configuration, logs and temporary files; ROOT: the folder
#                          served. Waits until it answers; sets nginx_pid, nginx_port and
#                          nginx_url ("http://127.0.0.1:PORT/"). Optional before the call:
#                          nginx_locations (lines added to the server block) and
#                          nginx_access_log=off. The access log is DIR/access.log.
#   nginx_start_https DIR ROOT CERTIFICATE KEY
#                          the same over HTTPS offering HTTP/2 (by ALPN), with that certificate
#                          and key (tls_make_certificates in tls.sh makes a pair). Sets
#                          nginx_https_url ("https://127.0.0.1:PORT/", also exported) and
#                          nginx_url to it. Each access log line ends with the connection's
#                          number, its count of requests so far and the protocol ("HTTP/2.0").
#   nginx_stop             stops it (safe to call when it is not running).
#   free_port              prints a free TCP port of 127.0.0.1.

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

nginx_pid=""

nginx_start() {
  _nginx_run "$1" "$2" ""
}

nginx_start_https() {
  _nginx_run "$1" "$2" "ssl http2" "    ssl_certificate $3;
    ssl_certificate_key $4;" || return 1
  nginx_https_url="https://127.0.0.1:$nginx_port/"
  export nginx_https_url
  nginx_url=$nginx_https_url
}

# DIR ROOT LISTEN_OPTIONS [SERVER_LINES]: writes the configuration, starts nginx and waits.
_nginx_run() {
  local dir=$1 root=$2 listen_options=$3 server_lines=${4:-} bin
  bin=${NGINX:-$(command -v nginx || echo /usr/sbin/nginx)}
  mkdir -p "$dir/tmp"
  nginx_port=$(free_port)
  {
    if [ "$(id -u)" -eq 0 ]; then echo "user root root;"; fi
    cat <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log warn;
events { worker_connections 64; }
http {
  log_format with_connection '\$remote_addr - \$remote_user [\$time_local] "\$request" '
                             '\$status \$body_bytes_sent "\$http_referer" "\$http_user_agent" '
                             '\$connection \$connection_requests \$server_protocol';
  access_log ${nginx_access_log:-$dir/access.log${listen_options:+ with_connection}};
  client_body_temp_path $dir/tmp/client_body;
  proxy_temp_path $dir/tmp/proxy;
  fastcgi_temp_path $dir/tmp/fastcgi;
  uwsgi_temp_path $dir/tmp/uwsgi;
  scgi_temp_path $dir/tmp/scgi;
  types { text/html html htm; }
  default_type application/octet-stream;
  sendfile on;
  gzip off;
  keepalive_timeout 60s;
  keepalive_requests 1000000;
  server {
    listen 127.0.0.1:$nginx_port${listen_options:+ $listen_options};
$server_lines
    root $root;
    location / { }
${nginx_locations:-}
  }
}
CONF
  } >"$dir/nginx.conf"
  "$bin" -p "$dir/" -e "$dir/error.log" -c "$dir/nginx.conf" 2>"$dir/stderr.log" &
  nginx_pid=$!
  nginx_url="http://127.0.0.1:$nginx_port/"
  local _
  for _ in $(seq 1 100); do
    if [ -n "$listen_options" ]; then
      # Listening is enough here: the caller checks the certificate with its own CA.
      if (exec 3<>"/dev/tcp/127.0.0.1/$nginx_port") 2>/dev/null; then return 0; fi
    else
      # Any HTTP answer, even 404, means it is listening.
      if curl -s -o /dev/null "$nginx_url"; then return 0; fi
    fi
    sleep 0.1
  done
  echo "nginx did not start:" >&2
  cat "$dir/stderr.log" "$dir/error.log" >&2 2>/dev/null || true
  return 1
}

nginx_stop() {
  if [ -n "$nginx_pid" ] && kill -0 "$nginx_pid" 2>/dev/null; then
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  nginx_pid=""
}
