#pragma once
// The modal dialog "Mandelbrot start values"; its controls carry their ids as object names.
// It ends with 1 after "Start picture" (settings stored) and 0 after "Cancel" (nothing stored).
#include <QDialog>

class QLineEdit;

class StartDlg : public QDialog {
    Q_OBJECT
public:
    explicit StartDlg(QWidget* owner);
    QLineEdit* edit(int id) const;

private:
    void mainPicture();
    void startPicture();
};
