#include "dxf/face_list.h"

#include "dxf/dxf_report.h"

#include <new>

int FaceList::append_face(int capacity) {
    if (capacity <= 0) {
        DxfReport("FaceList: a face must hold at least one point\n");
        return 0;
    }
    void* node_mem = mem.page_alloc(sizeof(FaceListStruct));
    if (!node_mem) return 0;
    void* points = mem.page_alloc(size_t(capacity) * sizeof(vect));
    if (!points) return 0;
    auto* node = new (node_mem) FaceListStruct{{static_cast<vect*>(points), 0, capacity}, nullptr};
    if (!ListHead) ListHead = node;
    else ListTail->next_face = node;
    ListTail = node;
    return 1;
}

int FaceList::get_new_3DFACE() { return append_face(4); }

int FaceList::get_new_poly_face(int polypoint) { return append_face(polypoint); }

void FaceList::add_point(face* cur_face, float x, float y, float z) {
    if (cur_face->point_cnt > 0) {
        const vect& last = cur_face->f[cur_face->point_cnt - 1];
        if (last.v[0] == x && last.v[1] == y && last.v[2] == z) return;
    }
    if (cur_face->point_cnt >= cur_face->point_max) return;
    cur_face->f[cur_face->point_cnt++] = vect{{x, y, z}};
}

void FaceList::add_3DFACE_point(float x, float y, float z) {
    if (ListTail && ListTail->cur_face.point_cnt < ListTail->cur_face.point_max)
        add_point(&ListTail->cur_face, x, y, z);
}

int FaceList::add_poly_point(float x, float y, float z) {
    if (!ListTail) return 1;
    if (ListTail->cur_face.point_cnt >= ListTail->cur_face.point_max &&
        !get_new_poly_face(ListTail->cur_face.point_max))
        return 0;
    add_point(&ListTail->cur_face, x, y, z);
    return 1;
}

int FaceList::face_count() const {
    int n = 0;
    for (const FaceListStruct* p = ListHead; p; p = p->next_face) ++n;
    return n;
}

long FaceList::point_count() const {
    long n = 0;
    for (const FaceListStruct* p = ListHead; p; p = p->next_face) n += p->cur_face.point_cnt;
    return n;
}
