// Writing files safely and removing folders thoroughly.

#include "judge/base/files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace judge {

namespace fs = std::filesystem;

namespace {

// Writes a new file at path through fill (given its descriptor): into a
// fresh name beside it, then renamed over path.
template <typename Fill>
bool write_anew(const std::string& path, Fill fill)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, 0644) == 0 && fill(fd);
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool write_all(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// Gives the owner every permission on a folder and the folders under it.
void open_up(const fs::path& folder)
{
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
        if (entry->is_directory(error) && !entry->is_symlink(error))
            open_up(entry->path());
}

}  // namespace

std::string read_text(const std::string& path, std::size_t most)
{
    std::ifstream file(path, std::ios::binary);
    std::string text;
    char block[1 << 16];
    while (text.size() < most && file.read(block, sizeof block).gcount() > 0)
        text.append(block, static_cast<std::size_t>(file.gcount()));
    if (text.size() > most)
        text.resize(most);
    return text;
}

std::string read_tail(const std::string& path, std::size_t most)
{
    std::ifstream file(path, std::ios::binary);
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size <= 0)
        return "";
    file.seekg(std::max<std::streamoff>(0, size - static_cast<std::streamoff>(most)));
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool save_text(const std::string& text, const std::string& path)
{
    return write_anew(path, [&](int fd) { return write_all(fd, text.data(), text.size()); });
}

bool save_file(const std::string& from, const std::string& path)
{
    if (from.empty())
        return true;
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno == ENOENT;
    const bool copied = write_anew(path, [&](int out) {
        char block[1 << 16];
        for (;;) {
            const ssize_t got = ::read(in, block, sizeof block);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return got == 0;
            if (!write_all(out, block, static_cast<std::size_t>(got)))
                return false;
        }
    });
    ::close(in);
    return copied;
}

void remove_folder(const std::string& path)
{
    std::error_code error;
    if (fs::remove_all(path, error) != static_cast<std::uintmax_t>(-1) && !error)
        return;
    open_up(path);
    fs::remove_all(path, error);
}

}  // namespace judge
