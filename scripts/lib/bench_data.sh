# Sourced by the benches that share the install bench's data set.
#
#   bench_install_data DIR  makes the 2000-file data set of bench/install_bench/make_dataset.py
#                           in DIR unless it is there (written beside it and moved in at the
#                           end, so that a run cut short leaves nothing half-made).

bench_install_data() {
  [ ! -f "$1/manifest.txt" ] || return 0
  rm -rf "$1.partial"
  python3 "$(dirname "${BASH_SOURCE[0]}")/../../bench/install_bench/make_dataset.py" "$1.partial"
  mv "$1.partial" "$1"
}
