#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace veyra {

// SHA-256, fed in pieces as the bytes arrive. Not copyable; a finished hash cannot be fed again.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Add(std::string_view bytes);
  // The digest as 64 lower-case hex digits.
  std::string FinishHex();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The SHA-256 of `bytes` as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace veyra
