#pragma once
// File Open: the dialog and the dispatch of a file to the window of its kind.
#include <string>
#include <vector>

class QWidget;

// Opens one file through the extension dispatch (the path is the current file name).
void FileOpenMsg(const std::string& path);
// Shows the open dialog; returns the chosen paths in the dialog's order (empty on cancel).
std::vector<std::string> CMUFileOpen(QWidget* owner, bool multiopen);
void OpenMulti(const std::vector<std::string>& paths);
