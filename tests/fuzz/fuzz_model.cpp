#include "model/model_file.h"

#include <string>

// Assimp's STL reader drops a mesh it had begun when a file breaks off (Debian's 5.2.5): a
// leak inside the library on a refused file, not ours to fix, so LeakSanitizer skips it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\n"; }

// The first byte picks the format Assimp is told to expect; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kinds[] = {"obj", "stl", "ply", "gltf", "glb", "off", "3mf", "dae"};
    if (size < 1) return 0;
    MeshResult r = ReadModelBytes(data + 1, size - 1, kinds[data[0] % 8]);
    (void)r;
    return 0;
}
