#pragma once
// The MDI frame: menus, shortcuts, the MDI area, the status line and the command table.
#include "workspace/frame_globals.h"

#include <QMainWindow>
#include <map>
#include <string>
#include <vector>

class QMdiArea;
class QMenu;
class QAction;

class MainFrame : public QMainWindow, public FrameInterface {
    Q_OBJECT
public:
    MainFrame();
    ~MainFrame() override;

    // Handles one menu command; returns 0 when handled, 1 when it is not ours (window list).
    int WmCommand(int id);
    // The number of document windows that refused to close.
    int CloseAll();
    QAction* action(int id) const;
    QMenu* windowMenu() const { return ButtonMenuFrame; }
    QMenu* stereoMenu() const override { return StereoMenu; }
    // The check marks of the active child.
    void updateMenus() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    // Files dropped on the frame open as through File Open, in the order given.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void buildMenus();
    QAction* addCommand(QMenu* menu, const QString& text, int id, const QKeySequence& key = {});
    void fillWindowList();
    void markStereo(int role);
    void CMUColor();
    void layoutClient();

    std::map<int, QAction*> actions;
    QMenu* ButtonMenuFrame = nullptr;
    QMenu* StereoMenu = nullptr;
    QMenu* MandelMenu = nullptr;
    bool saved = false;
};

// Opens one file through the extension dispatch (the path is the current file name).
void FileOpenMsg(const std::string& path);
// Shows the open dialog; returns the chosen paths in the dialog's order (empty on cancel).
std::vector<std::string> CMUFileOpen(QWidget* owner, bool multiopen);
void OpenMulti(const std::vector<std::string>& paths);
// File Save (askName false: the window's own name when it is of a type the window writes) and
// Save As (the dialog) for the active window; a failed save shows the path and the reason.
void SaveActiveDocument(QWidget* owner, bool askName);
// The command line as one string: leading quotes skipped, ended at the next quote, 255 chars at most.
std::string CommandLineFileName(const std::string& cmdLine);
// The whole start-up: settings, frame at its placement, status line, MDI area, command line.
MainFrame* StartFrame(const std::string& cmdLine);
// Start-up from the program's arguments: one is the command line above; several (the desktop's
// %F from the menu entry or a file manager) are opened one after another.
MainFrame* StartFrame(const std::vector<std::string>& args);
