#include "engine/CommandLine.h"

#include <cstdlib>

namespace {

const char kUsage[] =
    "Usage: zorbel [OPTION]...\n"
    "Quorvell Zorbel 2010, a driving game for two players on one keyboard.\n"
    "\n"
    "  --window                 play in a 1024x768 window instead of full screen\n"
    "  --window=WIDTHxHEIGHT    play in a window of that many pixels\n"
    "  -h, --help               show this help and leave\n"
    "\n"
    "Full screen uses the desktop's own resolution; F11 switches between the window\n"
    "and full screen while playing.\n";

// Windows smaller than this cannot show the head-up display's text; larger ones no X server makes.
constexpr int kSmallestSide = 64;
constexpr int kLargestSide = 16384;

// A side length in [kSmallestSide, kLargestSide] spelt only with digits, or -1.
int parseSide(const std::string& text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    int value = std::atoi(text.c_str());
    return value >= kSmallestSide && value <= kLargestSide ? value : -1;
}

CommandLine failure(const std::string& what)
{
    CommandLine result;
    result.exitStatus = 2;
    result.message = "zorbel: " + what + "\nTry 'zorbel --help' for the options.\n";
    return result;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const argv[])
{
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            result.exitStatus = 0;
            result.message = kUsage;
            return result;
        }
        if (arg == "--window") {
            result.fullScreen = false;
        } else if (arg.compare(0, 9, "--window=") == 0) {
            std::string size = arg.substr(9);
            size_t cross = size.find('x');
            int width = cross == std::string::npos ? -1 : parseSide(size.substr(0, cross));
            int height = cross == std::string::npos ? -1 : parseSide(size.substr(cross + 1));
            if (width < 0 || height < 0)
                return failure("\"" + size + "\" is not a window size; give WIDTHxHEIGHT, e.g. 1280x960, each side " +
                               std::to_string(kSmallestSide) + " to " + std::to_string(kLargestSide) + " pixels");
            result.fullScreen = false;
            result.windowSize = Vec2i(width, height);
        } else {
            return failure("unknown option \"" + arg + "\"");
        }
    }
    return result;
}
