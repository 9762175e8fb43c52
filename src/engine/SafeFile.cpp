#include "engine/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string directoryOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool writeAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string& why)
{
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        why = std::string("cannot create a temporary file next to it (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat old;
    fchmod(fd, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    errno = 0;
    bool written = writeAll(fd, bytes) && fsync(fd) == 0;
    int error = errno;
    bool closed = close(fd) == 0;
    if (written && !closed)
        error = errno;
    bool renamed = written && closed && rename(temporary.c_str(), path.c_str()) == 0;
    if (!renamed) {
        if (written && closed)
            error = errno;
        unlink(temporary.c_str());
        why = std::string("cannot write it (") + (error ? std::strerror(error) : "write error") + ")";
        return false;
    }
    // The rename itself must reach the disk too, or a crash could bring back the old file.
    int directory = open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return true;
}

std::string keepAsBackup(const std::string& path, std::string& why)
{
    std::string backup = path + ".bak";
    for (int n = 1; pathExists(backup); ++n)
        backup = path + ".bak." + std::to_string(n);
    if (rename(path.c_str(), backup.c_str()) != 0) {
        why = std::string("cannot be moved to ") + backup + " (" + std::strerror(errno) + ")";
        return "";
    }
    return backup;
}

bool pathExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool makeDirectories(const std::string& path, std::string& why)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            why = std::string("cannot create the folder ") + part + " (" + std::strerror(errno) + ")";
            return false;
        }
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        why = path + " is not a folder";
        return false;
    }
    return true;
}
