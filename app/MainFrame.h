#pragma once
// The MDI frame: menus, shortcuts, the MDI area, the status line and the command table.
#include "stereo/stereo_options.h"
#include "workspace/commands.h"
#include "workspace/frame_interface.h"

#include <cstdint>

#include <QMainWindow>
#include <map>
#include <string>
#include <vector>

class QMdiArea;
class QMenu;
class QAction;
enum class HelpPage;
struct GalleryEntry;

class MainFrame : public QMainWindow, public FrameInterface {
    Q_OBJECT
public:
    MainFrame();
    ~MainFrame() override;

    // Handles one menu command; returns 0 when handled, 1 when it is not ours (window list).
    int WmCommand(int id);
    int WmCommand(Command id) { return WmCommand(int(id)); }
    // Closes the document windows in creation order up to the first that stays; 1 when one
    // stayed, else 0.
    int CloseAll();
    QAction* action(Command id) const;
    QMenu* windowMenu() const { return windowMenu_; }
    // File > Open Recent, filled from the settings store each time it opens.
    QMenu* recentMenu() const { return recentMenu_; }
    // The colour last chosen with Edit, Color (0x00BBGGRR); black at start, kept while the program runs.
    uint32_t chosenColor() const { return crColor; }
    // The values every stereogram of this run is computed with; they start at the defaults and
    // are not saved.
    StereoOptions& stereoOptions() { return stereoOptions_; }

    // Opens the entry's texture and depth map (or brings them forward), marks them and takes its
    // options; false when a file did not open (its loader has said why).
    bool openGalleryEntry(const GalleryEntry& entry);

    QWidget* dialogParent() override { return this; }
    QMdiArea* mdiArea() override { return area_; }
    QMenu* stereoMenu() const override { return stereoMenu_; }
    // The check marks of the active child.
    void updateMenus() override;
    StereoMarks& stereoMarks() override { return marks_; }
    void setStatusText(int popidx, const char* text) override;
    bool saveAs(QWidget* child) override;

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // Files dropped on the frame open as through File Open, in the order given.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void buildMenus();
    QAction* addCommand(QMenu* menu, const QString& text, Command id, const QKeySequence& key = {});
    // Names the action after its command, runs the command when triggered and lists it.
    QAction* bindCommand(QAction* a, Command id, const QKeySequence& key = {});
    void fillWindowList();
    void fillRecentMenu();
    // Marks `w` for `role` as the Stereo menu's "set as" commands do the active window.
    void markStereo(StereoRole role, QWidget* w);
    void openFromGallery();
    void CMUColor();
    // The help page of the active window's kind.
    HelpPage helpPageOfActive() const;

    std::map<Command, QAction*> actions;
    QMdiArea* area_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QMenu* stereoMenu_ = nullptr;
    StereoMarks marks_;
    StereoOptions stereoOptions_;
    uint32_t crColor = 0;
    bool saved = false;
};

// The command line as one string: leading quotes skipped, ended at the next quote, 255 chars at most.
std::string CommandLineFileName(const std::string& cmdLine);
// The whole start-up: settings, frame at its placement, status line, MDI area, command line.
MainFrame* StartFrame(const std::string& cmdLine);
// Start-up from the program's arguments: one is the command line above; several (the desktop's
// %F from the menu entry or a file manager) are opened one after another.
MainFrame* StartFrame(const std::vector<std::string>& args);
