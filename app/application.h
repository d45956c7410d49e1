#pragma once
// The program's QApplication. Running out of memory inside an event handler is a message,
// never an abort: the handler's work is dropped and the other documents stay as they were.
#include <QApplication>

class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override;
};
