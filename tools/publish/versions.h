#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veyra {

// Versions written by the publisher have a fixed width: a stem (normally "v") and a generation
// of 8 decimal digits, so that the updater's byte-wise comparison orders them like numbers.
inline constexpr int kGenerationDigits = 8;

// The version of generation `generation`: "v" followed by the zero-padded number.
std::string GenerationVersion(uint64_t generation);

// The generation of a version of the form "v" + 8 digits, or nothing for any other form.
std::optional<uint64_t> ParseGenerationVersion(std::string_view version);

// The version for an entry that is new or changed in the set of `generation`. Without an
// earlier version it is GenerationVersion(generation). Otherwise the result always compares
// newer (VersionIsNewer) than `earlier`, whatever form that has ("9", "12", "zzz", ...): the
// generation version when it does, else the earlier text's trailing 8-digit counter plus one,
// else the earlier text followed by ".00000001".
std::string NextVersion(const std::optional<std::string>& earlier, uint64_t generation);

}  // namespace veyra
