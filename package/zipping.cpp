// exercise-package zip: the package as one zip, its files at the root, as
// contest systems import it; written with libzip.

#include <sys/stat.h>
#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "package/package.hpp"
#include "package/stamp.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

std::string zip_message(zip_t* archive)
{
    return archive != nullptr ? zip_strerror(archive) : "cannot open";
}

}  // namespace

namespace {

// What a stock DOMjudge takes: the upload PHP accepts, the memory its
// importer (which holds every case at once) gets, the largest statement
// MySQL takes (one case and its answer each), and the case size over
// which the Kattis verifier warns.
constexpr std::uintmax_t mib = std::uintmax_t{1} << 20;
constexpr std::uintmax_t upload_bytes = 256 * mib;
constexpr std::uintmax_t importer_bytes = 512 * mib;
constexpr std::uintmax_t packet_bytes = 64 * mib;
constexpr std::uintmax_t verifier_case_bytes = 100 * mib;

std::string mib_text(std::uintmax_t bytes)
{
    return std::to_string((bytes + mib - 1) / mib) + " MiB";
}

// What keeps the package from being zipped: no problem.yaml, no data, a
// verify that failed or never ran on it as it is (unless forced).
std::vector<fs::path> zippable(const fs::path& package, const std::string& folder, bool force)
{
    std::error_code error;
    if (!fs::is_regular_file(package / "problem.yaml", error))
        throw PackageError(folder + " is not a package: it has no problem.yaml");
    std::vector<fs::path> files = package_files(package);
    if (std::none_of(files.begin(), files.end(), [](const fs::path& file) { return *file.begin() == "data"; }))
        throw PackageError(folder + " has no data: run exercise-package build first");
    const std::optional<bool> verified = last_verify(package);
    if (!force && verified != true)
        throw PackageError(folder + " is not verified: " +
                           (verified ? "its last verify failed" : "it was never verified, or has changed since") +
                           "; run exercise-package verify " + folder + " (or zip --force)");
    return files;
}

// Adds one file, compressed, its mode kept (build scripts stay executable).
void add_file(zip_t* archive, const fs::path& package, const fs::path& file, const std::string& zip_file)
{
    const std::string source = (package / file).string();
    zip_source_t* data = zip_source_file(archive, source.c_str(), 0, -1);
    const zip_int64_t index =
        data == nullptr ? -1 : zip_file_add(archive, file.generic_string().c_str(), data, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        if (data != nullptr)
            zip_source_free(data);
        const std::string message = zip_message(archive);
        zip_discard(archive);
        throw PackageError("cannot add " + source + " to " + zip_file + ": " + message);
    }
    // Deflate at level 5, not the default 6: on the hundreds of megabytes
    // of digits of a large plan it packs as tightly, and in a twentieth of
    // the time (PRO6's default plan: 54 MB either way, 6 s against 170 s).
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 5);
    struct stat info {};
    ::stat(source.c_str(), &info);
    zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                     static_cast<zip_uint32_t>(S_IFREG | (info.st_mode & 07777)) << 16);
}

void write_zip(const fs::path& package, const std::vector<fs::path>& files, const std::string& zip_file)
{
    int status = 0;
    // libzip writes a temporary file beside it and renames it on close, so
    // a zip that fails half way leaves nothing.
    zip_t* archive = zip_open(zip_file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &status);
    if (archive == nullptr) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, status);
        const std::string message = zip_error_strerror(&reason);
        zip_error_fini(&reason);
        throw PackageError("cannot write " + zip_file + ": " + message);
    }
    for (const fs::path& file : files)
        add_file(archive, package, file, zip_file);
    if (zip_close(archive) != 0) {
        const std::string message = zip_message(archive);
        zip_discard(archive);
        throw PackageError("cannot write " + zip_file + ": " + message);
    }
}

// What a stock server would refuse, and the settings to raise for it.
std::vector<std::string> size_warnings(const fs::path& package, const std::vector<fs::path>& files,
                                       const std::string& zip_file)
{
    std::vector<std::string> warnings;
    std::error_code error;
    const std::uintmax_t zipped = fs::file_size(zip_file, error);
    if (!error && zipped > upload_bytes)
        warnings.push_back("the zip is " + mib_text(zipped) + ", above the " + mib_text(upload_bytes) +
                           " a stock DOMjudge uploads: raise PHP's upload_max_filesize and post_max_size");
    std::uintmax_t data = 0;
    std::uintmax_t largest = 0;
    std::string largest_name;
    for (const fs::path& file : files) {
        if (*file.begin() != "data" || file.extension() != ".in")
            continue;
        fs::path answer = package / file;
        answer.replace_extension(".ans");
        const std::uintmax_t bytes = fs::file_size(package / file, error) + fs::file_size(answer, error);
        data += bytes;
        if (bytes > largest) {
            largest = bytes;
            largest_name = file.generic_string();
        }
        if (fs::file_size(package / file, error) > verifier_case_bytes)
            warnings.push_back(file.generic_string() + " is over " + mib_text(verifier_case_bytes) +
                               ", where the Kattis verifier warns");
    }
    if (data > importer_bytes)
        warnings.push_back("the data are " + mib_text(data) + ", which DOMjudge's importer holds at once: raise "
                           "PHP's memory_limit above " + mib_text(importer_bytes));
    if (largest > packet_bytes)
        warnings.push_back(largest_name + " is " + mib_text(largest) + " with its answer, written in one statement: "
                           "raise MySQL's max_allowed_packet above it (" + mib_text(packet_bytes) + " by default)");
    return warnings;
}

}  // namespace

std::vector<std::string> zip_package(const std::string& folder, const std::string& zip_file, bool force)
{
    const fs::path package = fs::absolute(folder).lexically_normal();
    const std::vector<fs::path> files = zippable(package, folder, force);
    write_zip(package, files, zip_file);
    return size_warnings(package, files, zip_file);
}

}  // namespace package
