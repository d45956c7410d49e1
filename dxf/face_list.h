#pragma once
// Faces read from a drawing: each a short array of points, all in the list's own pool.
#include "dxf/page_pool.h"

struct vect {
    float v[3];
};

struct face {
    vect* f;
    int point_cnt;
    int point_max;
};

struct FaceListStruct {
    face cur_face;
    FaceListStruct* next_face;
};

class FaceList {
public:
    // The most points a face holds: its points are one request to the pool, at most a page.
    static constexpr int kMaxPoints = int(page_pool::kMaxPage / page_pool::kAlign * page_pool::kAlign / sizeof(vect));

    FaceList() = default;
    FaceList(const FaceList&) = delete;
    FaceList& operator=(const FaceList&) = delete;

    // Each returns 1, or 0 when the pool cannot serve the face (or the capacity is not above 0).
    int get_new_3DFACE();
    int get_new_poly_face(int polypoint);
    // Ignored without a message when there is no face or the last face is full.
    void add_3DFACE_point(float x, float y, float z);
    // Starts a new face of the same capacity when the last one is full; 0 when that fails.
    int add_poly_point(float x, float y, float z);
    // Drops an exact repeat of the face's last point, and any point beyond its capacity.
    void add_point(face* cur_face, float x, float y, float z);

    int face_count() const;
    long point_count() const;

    page_pool mem;
    FaceListStruct* ListHead = nullptr;
    FaceListStruct* ListTail = nullptr;

private:
    int append_face(int capacity);
};
