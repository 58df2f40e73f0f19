// Screenshots in builds without libpng (WebAssembly): the runner writes its frame record, and a
// screenshot asked for is reported as not written.
#include "tools/replay/png_io.h"

namespace replay {

namespace {

constexpr const char* NO_PNG = "this build of kromblix-replay cannot write or read PNG files; use the desktop build";

}  // namespace

bool png_available() { return false; }

bool write_png(const std::string& path, const Image& /*image*/, std::string& error) {
    error = path + ": " + NO_PNG;
    return false;
}

bool write_png(const std::string& path, const SDL_Surface* /*surface*/, std::string& error) {
    error = path + ": " + NO_PNG;
    return false;
}

bool read_png(const std::string& path, Image& /*image*/, std::string& error) {
    error = path + ": " + NO_PNG;
    return false;
}

}  // namespace replay
