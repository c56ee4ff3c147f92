// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultfiles/SavedFile.h"

#include "resultfiles/ResultRecord.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvanta::resultfiles {
namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
    throw ResultFileError("Cannot create file \"" + path + "\". " + reason);
}

// umask() can only be read by setting it, which would race with threads
// that create files; the kernel tells it here instead.
mode_t CurrentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    unsigned mask = 022;
    if (status != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr)
            if (std::sscanf(line, "Umask: %o", &mask) == 1)
                break;
        std::fclose(status);
    }
    return static_cast<mode_t>(mask);
}

// The temporary file, removed unless it was renamed into place.
class Temporary {
public:
    explicit Temporary(const std::string& path) {
        const std::filesystem::path target(path);
        std::string hidden(1, '.');
        hidden += target.filename().string();
        hidden += ".tmp-XXXXXX";
        std::string name = (target.parent_path() / hidden).string();
        std::vector<char> pattern(name.begin(), name.end());
        pattern.push_back('\0');
        fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd_ < 0)
            Fail(path, std::strerror(errno));
        name_ = pattern.data();
        // mkostemp makes the file private; a saved list is an ordinary file.
        ::fchmod(fd_, 0666 & ~CurrentUmask());
    }
    ~Temporary() {
        if (!renamed_)
            ::unlink(name_.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    void Renamed() { renamed_ = true; }

private:
    int fd_ = -1;
    std::string name_;
    bool renamed_ = false;
};

} // namespace

void SaveFile(const std::string& path, const std::function<void(std::ostream&)>& write) {
    if (std::filesystem::path(path).filename().empty())
        Fail(path, "Not a file name.");
    Temporary temporary(path);
    {
        // The buffer owns the descriptor and closes it when it goes.
        __gnu_cxx::stdio_filebuf<char> buffer(temporary.fd(), std::ios::out, 1 << 16);
        std::ostream out(&buffer);
        write(out);
        out.flush();
        if (!out)
            Fail(path, "Writing failed.");
        if (::fsync(temporary.fd()) != 0)
            Fail(path, std::strerror(errno));
    }
    if (::rename(temporary.name().c_str(), path.c_str()) != 0)
        Fail(path, std::strerror(errno));
    temporary.Renamed();
}

} // namespace orvanta::resultfiles
