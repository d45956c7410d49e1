#include "model/model_file.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <new>

namespace {

// Triangles only, node transformations baked in, shared points joined, and Assimp's own check
// of the scene (indices within the points, and the like) before we look at it.
constexpr unsigned kSteps = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_PreTransformVertices |
                            aiProcess_SortByPType | aiProcess_ValidateDataStructure;

std::string Extension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string Reason(const Assimp::Importer& importer) {
    std::string why = importer.GetErrorString();
    while (!why.empty() && (why.back() == '\n' || why.back() == ' ' || why.back() == '.')) why.pop_back();
    return why.empty() ? "the model cannot be read" : "the model cannot be read: " + why;
}

MeshResult Failure(std::string why) {
    MeshResult r;
    r.error = std::move(why);
    return r;
}

// One list of the scene's triangles; faces that are points or lines, or that touch a point
// that is not finite, are left out.
MeshResult Collect(const aiScene* scene) {
    size_t faces = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) faces += scene->mMeshes[m]->mNumFaces;
    if (faces > kMaxModelFaces)
        return Failure("the model has " + std::to_string(faces) + " faces, more than the " +
                       std::to_string(kMaxModelFaces) + " this program takes");
    MeshResult r;
    try {
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[m];
            const uint32_t base = uint32_t(r.mesh.points.size() / 3);
            for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
                const aiVector3D& p = mesh->mVertices[v];
                r.mesh.points.insert(r.mesh.points.end(), {p.x, p.y, p.z});
            }
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                if (face.mNumIndices != 3) continue;
                bool finite = true;
                for (int k = 0; k < 3; ++k) {
                    if (face.mIndices[k] >= mesh->mNumVertices) finite = false;
                    else {
                        const aiVector3D& p = mesh->mVertices[face.mIndices[k]];
                        finite = finite && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
                    }
                }
                if (finite)
                    for (int k = 0; k < 3; ++k) r.mesh.triangles.push_back(base + face.mIndices[k]);
            }
        }
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory for the model's " + std::to_string(faces) + " faces");
    }
    if (r.mesh.triangles.empty()) return Failure("the model has no faces");
    r.ok = true;
    return r;
}

MeshResult Read(Assimp::Importer& importer, const aiScene* scene) {
    if (!scene) return Failure(Reason(importer));
    return Collect(scene);
}

}  // namespace

bool IsModelName(const std::string& path) {
    const std::string ext = Extension(path);
    return ext.size() > 1 && Assimp::Importer().IsExtensionSupported(ext);
}

std::string ModelExtensions() {
    std::string list;
    Assimp::Importer().GetExtensionList(list);
    return list;
}

MeshResult ReadModelFile(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return Failure(ec.message());
    if (size == 0) return Failure("the file is empty");
    if (size > kMaxModelFileBytes)
        return Failure("the file is larger than the " + std::to_string(kMaxModelFileBytes >> 30) +
                       " GiB this program reads as a model");
    if (!IsModelName(path))
        return Failure("'" + Extension(path) + "' is not a model format Assimp reads");
    try {
        Assimp::Importer importer;
        return Read(importer, importer.ReadFile(path, kSteps));
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory to read the model");
    }
}

MeshResult ReadModelBytes(const uint8_t* data, size_t size, const std::string& extension) {
    if (size == 0) return Failure("the file is empty");
    try {
        Assimp::Importer importer;
        return Read(importer, importer.ReadFileFromMemory(data, size, kSteps, extension.c_str()));
    } catch (const std::bad_alloc&) {
        return Failure("not enough memory to read the model");
    }
}
