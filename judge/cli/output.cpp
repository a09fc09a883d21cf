// Writing standard output and report files.

#include "judge/cli/output.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

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

void write_file(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        throw WriteError("cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace judge
