#pragma once

#include <filesystem>
#include <string>

namespace veyra::testing {

// A server's certificate and its private key, both PEM files.
struct TlsFiles {
  std::filesystem::path certificate;
  std::filesystem::path key;
};

// Throwaway certificates for TLS tests, made with the openssl command line into a fresh
// temporary folder that is removed afterwards: a CA that tests pin, a second CA that they do
// not, and server certificates issued by them. Making them takes a moment; a test suite makes
// one set and shares it.
class TestCertificates {
 public:
  // Throws std::runtime_error, with openssl's output, when a certificate cannot be made.
  TestCertificates();
  ~TestCertificates();
  TestCertificates(const TestCertificates&) = delete;
  TestCertificates& operator=(const TestCertificates&) = delete;

  // True when the openssl program can be run here (not in the Windows build).
  static bool Available();

  const std::filesystem::path& ca_bundle() const { return ca_bundle_; }  // the pinned CA
  const std::filesystem::path& other_ca_bundle() const { return other_ca_bundle_; }
  // Valid now, for 127.0.0.1 and localhost, from the pinned CA.
  const TlsFiles& local() const { return local_; }
  // Valid now, for "other.example" only, from the pinned CA.
  const TlsFiles& other_name() const { return other_name_; }
  // For 127.0.0.1, from the pinned CA, but expired years ago.
  const TlsFiles& expired() const { return expired_; }
  // Valid now, for 127.0.0.1, from the CA that is not pinned.
  const TlsFiles& unpinned() const { return unpinned_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path ca_bundle_;
  std::filesystem::path other_ca_bundle_;
  TlsFiles local_;
  TlsFiles other_name_;
  TlsFiles expired_;
  TlsFiles unpinned_;
};

}  // namespace veyra::testing
