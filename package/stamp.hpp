// Whether a package was verified as it is now: verify leaves a stamp
// (.verified, which zip leaves out) naming its outcome and a digest of the
// package's files (their paths, sizes and times); any change to the package
// after it makes the stamp stale.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace package {

// The files a package is made of, by their paths in it: all but the
// folders a build leaves while it works and the stamps (names starting
// with '.', but .timelimit).
std::vector<std::filesystem::path> package_files(const std::filesystem::path& package);

// Stamps the package as verified, and whether every check passed.
void stamp_verified(const std::filesystem::path& package, bool passed);

// Whether the last verify passed, for a package unchanged since; none
// when it was never verified or has changed.
std::optional<bool> last_verify(const std::filesystem::path& package);

}  // namespace package
