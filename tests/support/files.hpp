// In-process helpers: a file descriptor holding given bytes for the reader,
// and the bytes a function writes through an Output.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/output.hpp"

namespace testing_support {

// An unnamed temporary file, closed at the end of scope.
class TempFile {
public:
    TempFile() : file_(std::tmpfile())
    {
        if (file_ == nullptr)
            throw std::runtime_error("tmpfile failed");
    }
    explicit TempFile(const std::string& contents) : TempFile()
    {
        std::fwrite(contents.data(), 1, contents.size(), file_);
        std::fflush(file_);
        std::rewind(file_);
    }
    ~TempFile() { std::fclose(file_); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fileno(file_); }

    std::string contents() const
    {
        std::string text;
        char chunk[1 << 16];
        off_t offset = 0;
        for (ssize_t got; (got = pread(fd(), chunk, sizeof chunk, offset)) > 0; offset += got)
            text.append(chunk, static_cast<std::size_t>(got));
        return text;
    }

private:
    std::FILE* file_;
};

// What `write` puts through an Output, as bytes.
template <class Writer>
std::string captured(Writer write, std::size_t capacity = std::size_t{1} << 17)
{
    TempFile file;
    {
        common::Output out(file.fd(), capacity);
        write(out);
        out.flush();
    }
    return file.contents();
}

}  // namespace testing_support
