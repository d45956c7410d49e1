#pragma once
// The Help menu's pages: the keys of each window kind and how to see a stereogram, in one
// window that stays open beside the program while the user tries them.
class QWidget;

enum class HelpPage { Windows, Wave, Mandel, OpenGL, Animation, Seeing };

// Shows the help window at `page`; it is made once for `parent` and raised again after that.
void ShowHelp(QWidget* parent, HelpPage page);
