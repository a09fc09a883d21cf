// The judge's temporary folder.

#include "judge/run/temporary.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/run/process.hpp"

namespace judge {

TemporaryFolder::TemporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/exercise-judge-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw SetupError("cannot create a temporary folder in " + pattern + ": " + std::strerror(errno));
    path_ = std::filesystem::canonical(pattern).string();
}

TemporaryFolder::~TemporaryFolder()
{
    remove();
}

void TemporaryFolder::remove()
{
    end_stray_processes();
    if (!path_.empty()) {
        remove_folder(path_);
        path_.clear();
    }
}

}  // namespace judge
