#include "key_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/error.h"
#include "platform/file_io.h"
#include "publish_files.h"

namespace veyra {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void RefuseOverwrite(const fs::path& path) {
  throw Error(path.string() + " exists already; refusing to overwrite it");
}

// Creates `path` with `bytes` and exactly `mode`; O_EXCL also refuses a link under the name, so
// a planted link cannot redirect the secret key anywhere.
void WriteExclusive(const fs::path& path, std::string_view bytes, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) {
    if (errno == EEXIST) RefuseOverwrite(path);
    throw Error("cannot create " + path.string() + ": " + std::strerror(errno));
  }
  FileHandle file(fd);
  // The umask may only have taken bits away, but say exactly what the file allows.
  if (::fchmod(fd, mode) != 0 || !file.WriteAllAt(0, bytes).ok() || !file.Close().ok()) {
    ::unlink(path.c_str());
    throw Error("cannot write " + path.string());
  }
}

}  // namespace

PublicKey WriteNewKeyPair(const fs::path& secret_file) {
  const fs::path public_file = secret_file.string() + ".pub";
  for (const fs::path& file : {secret_file, public_file}) {
    std::error_code ec;
    if (fs::symlink_status(file, ec).type() != fs::file_type::not_found) RefuseOverwrite(file);
  }
  KeyPair pair = GenerateKeyPair();
  WriteExclusive(secret_file, FormatSecretKeyFile(pair.secret_key), 0600);
  try {
    WriteExclusive(public_file, PublicKeyText(pair.public_key) + "\n", 0644);
  } catch (const Error&) {
    ::unlink(secret_file.c_str());
    throw;
  }
  return pair.public_key;
}

SecretKey LoadSecretKey(const fs::path& secret_file) {
  try {
    return ParseSecretKeyFile(ReadFileBytes(secret_file));
  } catch (const Error& e) {
    throw Error(secret_file.string() + ": " + e.what());
  }
}

std::vector<PublicKey> LoadPublicKeys(const fs::path& public_file) {
  try {
    return ParsePinnedKeys(ReadFileBytes(public_file));
  } catch (const Error& e) {
    throw Error(public_file.string() + ": " + e.what());
  }
}

}  // namespace veyra
