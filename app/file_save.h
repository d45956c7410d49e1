#pragma once
// File Save and Save As for the active document window.
class MdiChild;
class QWidget;

// File Save (askName false: the window's own name when it is of a type the window writes) and
// Save As (the dialog) for the active window; a failed save shows the path and the reason.
void SaveActiveDocument(QWidget* owner, bool askName);
// The same for `child` (null: nothing); true once the document is written.
bool SaveDocument(QWidget* owner, MdiChild* child, bool askName);
