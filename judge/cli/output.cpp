// Writing standard output and report files.

#include "judge/cli/output.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace judge {

void print(const std::string& text)
{
    const char* at = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t done = ::write(1, at, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            throw WriteError(std::string("write error: ") + std::strerror(done < 0 ? errno : EIO));
        at += done;
        left -= static_cast<std::size_t>(done);
    }
}

namespace {

// A new file beside path, its descriptor; throws when none can be made.
int new_beside(const std::string& path, std::string& name)
{
    name = path + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        throw WriteError("cannot write " + path + ": " + std::strerror(errno));
    return fd;
}

}  // namespace

void write_file(const std::string& path, const std::string& text)
{
    std::string name;
    const int fd = new_beside(path, name);
    const char* at = text.data();
    std::size_t left = text.size();
    int error = ::fchmod(fd, 0644) == 0 ? 0 : errno;
    while (error == 0 && left > 0) {
        const ssize_t done = ::write(fd, at, left);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            error = done < 0 ? errno : EIO;
        else {
            at += done;
            left -= static_cast<std::size_t>(done);
        }
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(name.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.c_str());
        throw WriteError("cannot write " + path + ": " + std::strerror(error));
    }
}

void check_writable(const std::string& path)
{
    std::string name;
    ::close(new_beside(path, name));
    ::unlink(name.c_str());
}

}  // namespace judge
