#include "images/video_file.h"

#include "images/picture_format.h"

#include <dlfcn.h>

#include <filesystem>

namespace {

// The module: where the installed programs keep it, else where this build made it. Null, with
// the loader's reason in `why`, when it cannot be loaded.
const VideoCodecs* Codecs(std::string& why) {
    static std::string failure;
    static const VideoCodecs* const codecs = []() -> const VideoCodecs* {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path installed =
            (fs::read_symlink("/proc/self/exe", ec).parent_path() / ORVALIS_VIDEO_INSTALLED).lexically_normal();
        void* handle = nullptr;
        for (const fs::path& module : {installed, fs::path(ORVALIS_VIDEO_BUILT)})
            if (fs::exists(module, ec) && (handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL))) break;
        using Entry = const VideoCodecs* (*)();
        const auto entry = handle ? reinterpret_cast<Entry>(::dlsym(handle, "OrvalisVideoCodecs")) : nullptr;
        if (!entry) {
            const char* error = ::dlerror();
            failure = error ? error : "orvalis-video.so is missing";
        }
        return entry ? entry() : nullptr;
    }();
    why = "videos cannot be read or written: " + failure;
    return codecs;
}

}  // namespace

std::unique_ptr<VideoFrames> OpenVideoFrames(const std::string& path, bool grey, std::string& why) {
    const VideoCodecs* c = Codecs(why);
    return c ? c->open(path, grey, why) : nullptr;
}

bool IsVideoName(const std::string& path) { return NameEndsIn(path, ".mp4") || NameEndsIn(path, ".webm"); }

std::unique_ptr<AnimationWriter> OpenVideo(const std::string& path, int width, int height, double fps, std::string& why) {
    const VideoCodecs* c = Codecs(why);
    return c ? c->write(path, width, height, fps, why) : nullptr;
}
