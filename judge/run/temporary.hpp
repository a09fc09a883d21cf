// The judge's own temporary folder, owned by one object: made in $TMPDIR
// (else /tmp) when it is constructed, removed with every process the runs
// left when it is destroyed. A folder that cannot be made is a SetupError.
#pragma once

#include <string>

namespace judge {

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }

    // Ends every process left and removes the folder now.
    void remove();

private:
    std::string path_;
};

}  // namespace judge
