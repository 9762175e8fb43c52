// A record run's file (<level>.ghost) through the real reader, as the game screen and the
// highscore screen load it. Besides the sanitizers: a file the reader takes writes back
// byte for byte, and every step it holds gives a finite pose in a layer it names.
#include "FuzzSupport.h"

#include "states/GhostRun.h"

#include <cmath>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    GhostRun run;
    std::string why;
    if (!GhostRun::fromBytes(bytes, run, why)) {
        if (why.empty())
            fuzzFailure("a refused ghost file without a reason");
        return 0;
    }
    if (run.toBytes() != bytes)
        fuzzFailure("a ghost file read and written again differs");
    for (size_t step = 0; step <= run.steps.size(); ++step) {
        const VehiclePose pose = run.pose(step);
        for (int body = 0; body < 4; ++body) {
            if (!std::isfinite(pose.centre[body].x) || !std::isfinite(pose.centre[body].y)
                || !std::isfinite(pose.axis[body].x))
                fuzzFailure("a ghost step gives a pose that is not finite");
        }
        run.layerAt(step);
    }
    return 0;
}
