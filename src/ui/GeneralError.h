#pragma once

#include <QApplication>
#include <functional>

// Runs a command; an error it raises is shown in a message box with the error's message, and
// the program goes on.
void Guarded(const std::function<void()>& command);

// The application object: errors that escape an event handler reach the same report instead
// of ending the program.
class TApplication final : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
