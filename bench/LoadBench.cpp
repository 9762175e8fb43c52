// Level loading with the level's pictures and sounds already cached and with
// cold caches, and the program's start-up to its first rendered menu frame.

#include "BenchKit.h"

#include "engine/Engine.h"
#include "resources/FontManager.h"
#include "resources/SoundManager.h"
#include "resources/TextureManager.h"
#include "world/Level.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

extern char** environ;

namespace {

const int kLoads = 20;
const int kColdLoads = 5;
const int kStarts = 10;

// The caches keep what they load for the life of the program, keyed by the
// resolved file name. A second name for the data directory, searched first,
// makes every file of a level a miss; afterwards the copies loaded through it
// are dropped again so that memory stays flat over the iterations.
class ColdDataDirectory {
public:
    explicit ColdDataDirectory(Engine& engine) : engine(engine)
    {
        static int counter = 0;
        char absolute[PATH_MAX];
        if (!realpath("data", absolute))
            return;
        char templ[] = "/tmp/zorbel-cold-XXXXXX";
        if (!mkdtemp(templ))
            return;
        parent = templ;
        link = parent + "/data" + std::to_string(++counter);
        if (symlink(absolute, link.c_str()) != 0)
            return;
        SearchPathList* paths = engine.getSearchPaths();
        paths->insert(paths->begin(), SearchPath{-1, link + "/"});
    }

    ~ColdDataDirectory()
    {
        SearchPathList* paths = engine.getSearchPaths();
        for (auto it = paths->begin(); it != paths->end(); ++it) {
            if (it->directory == link + "/") {
                paths->erase(it);
                break;
            }
        }
        // Fonts hold their page textures, so they go first.
        evict(*engine.getFontManager());
        evict(*engine.getTextureManager());
        evict(*engine.getSoundManager());
        unlink(link.c_str());
        rmdir(parent.c_str());
    }

    bool ok() const { return !link.empty(); }

private:
    template <typename Manager>
    void evict(Manager& manager)
    {
        std::vector<Resource*> loadedHere;
        manager.forEach([&](Resource* resource) {
            // Only what nobody but the cache holds any more.
            if (resource->getFilename().rfind(link + "/", 0) == 0 && resource->getRefCount() == 1)
                loadedHere.push_back(resource);
        });
        for (Resource* resource : loadedHere)
            resource->release();
    }

    Engine& engine;
    std::string parent;
    std::string link;
};

void loadLevel(benchmark::State& state, const LevelMode& play, bool cold)
{
    Engine& engine = benchEngine();
    ParameterMap params = matchParameters(play.mode, play.file);
    // One load up front: the cached case then finds everything, and the file
    // system has the files in memory in both cases.
    delete Level::load(&engine, "levels/" + play.file, &params);
    StepTimes times(size_t(state.max_iterations));
    for (auto _ : state) {
        std::unique_ptr<ColdDataDirectory> coldData;
        if (cold) {
            coldData = std::make_unique<ColdDataDirectory>(engine);
            if (!coldData->ok()) {
                state.SkipWithError("cannot make a second name for the data directory");
                break;
            }
        }
        times.start();
        std::unique_ptr<Level> level(Level::load(&engine, "levels/" + play.file, &params));
        times.stop(state);
        if (!level) {
            state.SkipWithError("the level does not load");
            break;
        }
    }
    times.report(state);
}

// Runs the real screens in a fresh process up to the first frame of the main
// menu on the screen (buffers swapped): the time from starting the program to
// its word that the frame is out.
double startToFirstMenuFrame()
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1.0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char program[] = ZORBEL_SOAK_PATH;
    char mode[] = "--first-frame";
    char* args[] = {program, mode, nullptr};

    auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    int spawned = posix_spawn(&child, program, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    double seconds = -1.0;
    if (spawned == 0) {
        FILE* out = fdopen(pipeEnds[0], "r");
        char line[256];
        bool framed = false;
        while (out && std::fgets(line, sizeof line, out)) {
            if (std::string(line).rfind("first-frame", 0) == 0) {
                framed = true;
                break;
            }
        }
        auto end = std::chrono::steady_clock::now();
        if (framed)
            seconds = std::chrono::duration<double>(end - start).count();
        // The child ends on its own after the frame; its shutdown is not start-up.
        int status = 0;
        waitpid(child, &status, 0);
        if (out)
            std::fclose(out);
        else
            close(pipeEnds[0]);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            seconds = -1.0;
    } else {
        close(pipeEnds[0]);
    }
    return seconds;
}

void startUp(benchmark::State& state)
{
    // Warm file caches: the first start reads everything from disk.
    startToFirstMenuFrame();
    for (auto _ : state) {
        double seconds = startToFirstMenuFrame();
        if (seconds < 0.0) {
            state.SkipWithError("zorbel-soak --first-frame did not show its first frame");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (!startBenchmarks(argc, argv))
        return 1;

    // Each level in the first mode it lists: modes change only which objects stay.
    std::vector<std::string> done;
    for (const LevelMode& play : shippedLevelModes()) {
        if (std::find(done.begin(), done.end(), play.file) != done.end())
            continue;
        done.push_back(play.file);
        std::string stem = play.file.substr(0, play.file.rfind('.'));
        benchmark::RegisterBenchmark(("LevelLoad/" + stem + "/cached").c_str(), loadLevel, play, false)
            ->Iterations(workload(kLoads))
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("LevelLoad/" + stem + "/cold").c_str(), loadLevel, play, true)
            ->Iterations(workload(kColdLoads))
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("StartUp/firstMenuFrame", startUp)
        ->Iterations(workload(kStarts))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);

    return runBenchmarks();
}
