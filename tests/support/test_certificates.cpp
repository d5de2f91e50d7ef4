#include "support/test_certificates.h"

#include <stdexcept>

#ifdef _WIN32

// The Windows build runs its tests under Wine, where the tests that need a TLS server skip.
namespace veyra::testing {

TestCertificates::TestCertificates() {
  throw std::runtime_error("test certificates are not made on Windows");
}
TestCertificates::~TestCertificates() = default;
bool TestCertificates::Available() {
  return false;
}

}  // namespace veyra::testing

#else

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace veyra::testing {
namespace {

namespace fs = std::filesystem;

const char kEcKey[] = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

std::string Quoted(const fs::path& path) {
  // Appended rather than "'" + ...: g++ 12 at -O3 warns falsely (-Wrestrict) on that form.
  std::string quoted = "'";
  quoted += path.string();
  quoted += '\'';
  return quoted;
}

// Runs one openssl command, its output going to the folder's log; throws with the log on failure.
void OpenSsl(const fs::path& folder, const std::string& arguments) {
  const fs::path log = folder / "openssl.log";
  const std::string command = "openssl " + arguments + " >>" + Quoted(log) + " 2>&1";
  if (std::system(command.c_str()) == 0) return;
  std::ifstream in(log);
  std::ostringstream text;
  text << in.rdbuf();
  throw std::runtime_error("openssl failed: " + command + "\n" + text.str());
}

// A CA of its own folder, with the bookkeeping `openssl ca` needs; returns its configuration.
fs::path MakeCa(const fs::path& folder, const std::string& name) {
  fs::create_directories(folder);
  const fs::path config = folder / "openssl.cnf";
  std::ofstream(config) << "[req]\n"
                        << "distinguished_name = dn\n"
                        << "[dn]\n"
                        << "[ca_extensions]\n"
                        << "basicConstraints = critical, CA:TRUE\n"
                        << "keyUsage = critical, keyCertSign, cRLSign\n"
                        << "subjectKeyIdentifier = hash\n"
                        << "[ca]\n"
                        << "default_ca = issuer\n"
                        << "[issuer]\n"
                        << "database = " << (folder / "index.txt").string() << "\n"
                        << "new_certs_dir = " << folder.string() << "\n"
                        << "certificate = " << (folder / "ca.pem").string() << "\n"
                        << "private_key = " << (folder / "ca.key").string() << "\n"
                        << "serial = " << (folder / "serial").string() << "\n"
                        << "default_md = sha256\n"
                        << "policy = any_name\n"
                        << "unique_subject = no\n"
                        << "[any_name]\n"
                        << "commonName = supplied\n";
  std::ofstream(folder / "index.txt");
  std::ofstream(folder / "serial") << "1000\n";
  OpenSsl(folder, "req -x509 -new -config " + Quoted(config) + kEcKey + " -keyout " +
                      Quoted(folder / "ca.key") + " -out " + Quoted(folder / "ca.pem") +
                      " -days 3 -extensions ca_extensions -subj '/CN=" + name + "'");
  return config;
}

// A server certificate for `names` (a subjectAltName value) issued by the CA of `ca_config`,
// written as `stem`.pem with its key `stem`.key; `validity` holds openssl ca's date options.
TlsFiles Issue(const fs::path& ca_config, const fs::path& stem, const std::string& common_name,
               const std::string& names, const std::string& validity) {
  const fs::path folder = ca_config.parent_path();
  const std::string base = stem.string();
  const TlsFiles files{base + ".pem", base + ".key"};
  const fs::path request = base + ".csr";
  const fs::path extensions = base + ".ext";
  std::ofstream(extensions) << "[server]\n"
                            << "subjectAltName = " << names << "\n"
                            << "basicConstraints = CA:FALSE\n"
                            << "extendedKeyUsage = serverAuth\n";
  OpenSsl(folder, "req -new -config " + Quoted(ca_config) + kEcKey + " -keyout " +
                      Quoted(files.key) + " -out " + Quoted(request) +
                      " -subj '/CN=" + common_name + "'");
  OpenSsl(folder, "ca -batch -notext -config " + Quoted(ca_config) + " -in " + Quoted(request) +
                      " -out " + Quoted(files.certificate) + " -extfile " + Quoted(extensions) +
                      " -extensions server " + validity);
  return files;
}

}  // namespace

bool TestCertificates::Available() {
  return std::system("openssl version >/dev/null 2>&1") == 0;
}

TestCertificates::TestCertificates() {
  static std::atomic<int> counter{0};
  folder_ = fs::temp_directory_path() /
            ("veyra-certs-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(folder_);
  fs::create_directories(folder_);
  const fs::path pinned = MakeCa(folder_ / "ca", "Veyra Test CA");
  const fs::path other = MakeCa(folder_ / "other-ca", "Another Test CA");
  ca_bundle_ = folder_ / "ca" / "ca.pem";
  other_ca_bundle_ = folder_ / "other-ca" / "ca.pem";
  const std::string local_names = "IP:127.0.0.1, DNS:localhost";
  const std::string valid = "-days 2";
  local_ = Issue(pinned, folder_ / "local", "127.0.0.1", local_names, valid);
  other_name_ = Issue(pinned, folder_ / "other-name", "other.example", "DNS:other.example", valid);
  expired_ = Issue(pinned, folder_ / "expired", "127.0.0.1", local_names,
                   "-startdate 20200101000000Z -enddate 20200102000000Z");
  unpinned_ = Issue(other, folder_ / "unpinned", "127.0.0.1", local_names, valid);
}

TestCertificates::~TestCertificates() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

}  // namespace veyra::testing

#endif
