#include "FuzzSupport.h"

#include "engine/Engine.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void makeDirectories(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
}

void removeTree(const std::string& path)
{
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                removeTree(path + "/" + name);
        }
        closedir(dir);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

} // namespace

const std::string& scratchDir()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/zorbel-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) {
            std::perror("zorbel-fuzz: mkdtemp");
            std::exit(1);
        }
        std::string path = std::string(made) + "/";
        static std::string removeAtExit;
        removeAtExit = made;
        std::atexit([] { removeTree(removeAtExit); });
        return path;
    }();
    return dir;
}

Engine& fuzzEngine()
{
    static Engine* engine = [] {
        // A small window: the targets look for crashes, not pictures, and
        // software GL draws a small one quickly.
        auto* e = new Engine(160, 120, 60.0f, "zorbel fuzz", "", false);
        e->addSearchPath(scratchDir());
        e->addSearchPath("data");
        return e;
    }();
    return *engine;
}

std::string scratchPath(const std::string& name)
{
    return scratchDir() + name;
}

std::string writeScratch(const std::string& name, const uint8_t* data, size_t size)
{
    std::string path = scratchPath(name);
    makeDirectories(path);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        fuzzFailure("cannot write " + path);
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        fuzzFailure("cannot write " + path);
    std::fclose(file);
    return path;
}

void clearScratch(const std::string& subdirectory)
{
    std::string path = scratchPath(subdirectory);
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                removeTree(path + "/" + name);
        }
        closedir(dir);
    }
}

void fuzzFailure(const std::string& what)
{
    std::fprintf(stderr, "zorbel-fuzz: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}
