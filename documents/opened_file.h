#pragma once
// The opened-file list: one record per document window, in creation order.
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

// Base of every kind's own block (BMP_DATA, WAVE_DATA, MANDEL_DATA); owned by the record.
struct ClientBlock {
    virtual ~ClientBlock() = default;
};

// What a record holds, kept in its Type.
enum class DocKind : uint16_t {
    Dxf = 0,      // an OpenGL window showing a DXF drawing
    Picture = 1,  // a picture: a file's, a random texture or a computed stereogram
    Wave = 2,
    Mandel = 3,
    Model = 4,    // an OpenGL window showing a 3-D model read through Assimp
    GLAux = 500,  // the OpenGL demonstration scenes
    GL1 = 501,
};

struct OPENEDFILE {
    OPENEDFILE* PrevFile = nullptr;
    OPENEDFILE* NextFile = nullptr;
    QPointer<QWidget> hwnd;   // null until the window stores itself
    QImage hBmpSaved;         // the picture (Format_RGB32); null when none
    std::string Filename;
    DocKind Type = DocKind::Dxf;
    int Xsize = 0;
    int Ysize = 0;
    int Xclient = 0;
    int Yclient = 0;
    int Xscroll = 0;
    int Yscroll = 0;
    uint8_t Changed = 0;
    std::unique_ptr<ClientBlock> ClientData;

    template <class T> T* data() const { return dynamic_cast<T*>(ClientData.get()); }
};

OPENEDFILE* AddFileStruct(QWidget* hwnd, const std::string& name);
OPENEDFILE* GetFileStruct(const QWidget* hwnd);
OPENEDFILE* GetLastFileStruct();
int DelFileStruct(const QWidget* hwnd);
// First record of the list (for walking it in tests and the window list).
OPENEDFILE* FirstFileStruct();

// Reads a whole file; the block has 32 slack bytes, the first of them zero. Shows its own
// message and returns null on failure. The caller owns the block (delete[]).
unsigned char* LoadFile(const std::string& filename, uint32_t* filesize);
