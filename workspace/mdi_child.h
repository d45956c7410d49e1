#pragma once
// Base of every document window (BmpChild, WavChild, MandelChild, OpenGLChild).
#include "documents/opened_file.h"
#include "workspace/commands.h"
#include "workspace/frame_interface.h"

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

class QMdiArea;
class QMdiSubWindow;

class MdiChild : public QWidget {
    Q_OBJECT
public:
    // Stores the window into the record, as the window's creation does.
    explicit MdiChild(OPENEDFILE* of, QWidget* parent = nullptr);

    // The record of this window, or null once it has been removed.
    OPENEDFILE* record() const { return GetFileStruct(this); }
    // A menu command forwarded by the frame to the active child.
    virtual void command(Command id) { (void)id; }
    // Asked before the window closes (close box, File Close, Close All, Exit); false keeps it.
    virtual bool queryClose() { return true; }
    // Check mark of a forwarded menu command as this window sees it: -1 none, 0 clear, 1 set.
    virtual int menuCheck(Command id) const {
        (void)id;
        return -1;
    }
    // Whether the window can give a depth picture of what it shows for a stereogram.
    virtual bool hasDepthView() const { return false; }
    // That depth picture: width x height 16-bit grey values, white near, top row first. False
    // when the window has none (yet).
    virtual bool depthView(int& width, int& height, std::vector<uint16_t>& grey) {
        (void)width, (void)height, (void)grey;
        return false;
    }
    // File Save and Save As: the file types this window writes, as dialog filters with the
    // default first ("PNG picture (*.png)"); empty when it has nothing to save.
    virtual QStringList saveFilters() const { return {}; }
    // Writes the document to `path`, whose extension names the type; "" or why it failed.
    virtual std::string saveDocument(const std::string& path) {
        (void)path;
        return "nothing to save";
    }
    // The window's sub-window frame in the MDI area (null before it is added).
    QMdiSubWindow* subWindow() const;
    // Text shown after the title on the window's frame only (the zoom of a picture), so the
    // title itself stays the document's name with its marks.
    void setTitleNote(const QString& note);
    QString titleNote() const { return titleNote_; }
    // The frame places and sizes document windows itself.
    QSize sizeHint() const override { return size(); }

protected:
    void closeEvent(QCloseEvent* e) override;
    // For a document holding unsaved work: brings the window forward and asks "OK to close?",
    // or, when the window can save it, whether to save it first (Save goes through Save As).
    // True when the window may close (its Changed flag is then cleared).
    bool confirmDiscard();

private:
    QString titleNote_;
};

// Adds a document window to the frame's MDI area, shows it and makes it active.
QMdiSubWindow* AddChildWindow(MdiChild* child);

// The creation order of a document window: the record, its kind's block and Type, then the
// window titled with the name, which stores itself in the record; `prepare` may refuse the
// document before the window shows (the window goes and takes the record with it). A record
// whose window did not come is removed again and the result is null.
template <class Child, class Block, class Prepare>
OPENEDFILE* CreateDocumentChild(const std::string& name, DocKind type, Prepare prepare) {
    if (!FrameMdiArea()) return nullptr;
    OPENEDFILE* of = AddFileStruct(nullptr, name);
    if (!of) return nullptr;
    of->ClientData = std::make_unique<Block>();
    of->Type = type;
    auto* child = new Child(of);
    child->setWindowTitle(QString::fromStdString(name));
    if (!prepare(of)) {
        delete child;
        return nullptr;
    }
    AddChildWindow(child);
    if (of->hwnd) return of;
    DelFileStruct(nullptr);
    return nullptr;
}
template <class Child, class Block> OPENEDFILE* CreateDocumentChild(const std::string& name, DocKind type) {
    return CreateDocumentChild<Child, Block>(name, type, [](OPENEDFILE*) { return true; });
}
