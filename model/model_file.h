#pragma once
// 3-D models (OBJ, STL, PLY, glTF/GLB, 3MF, OFF, COLLADA and the rest Assimp reads) as one
// list of triangles, every node's transformation applied.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct Mesh {
    std::vector<float> points;       // x, y, z of each point
    std::vector<uint32_t> triangles;  // three point indices a face
    size_t faces() const { return triangles.size() / 3; }
};

// Beyond this many triangles a model is refused: Assimp holds several copies of a mesh while
// reading it, about 200 bytes a face, so this keeps a read within a few gigabytes.
constexpr size_t kMaxModelFaces = 20'000'000;
// And a file larger than this (2 GiB) is not handed to Assimp at all.
constexpr uint64_t kMaxModelFileBytes = uint64_t(2) << 30;

struct MeshResult {
    bool ok = false;
    Mesh mesh;
    std::string error;  // why not, in words, when !ok
};

// True when `path`'s extension names a format Assimp reads.
bool IsModelName(const std::string& path);
// The extensions Assimp reads, as "*.3ds;*.obj;...".
std::string ModelExtensions();
MeshResult ReadModelFile(const std::string& path);
// A model held in memory; `extension` ("stl", "obj") tells Assimp what to expect.
MeshResult ReadModelBytes(const uint8_t* data, size_t size, const std::string& extension);
