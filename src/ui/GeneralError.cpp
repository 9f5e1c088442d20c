#include "ui/GeneralError.h"

#include "config/Product.h"
#include "seams/Messages.h"

#include <exception>

namespace {
void Report(const QString& message) {
    Messages().Show(QString::fromLatin1(kApplicationTitle), message, MessageIcon::Error);
}
} // namespace

void Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        Report(QString::fromUtf8(e.what()));
    } catch (...) {
        Report(QStringLiteral("An unexpected error occurred."));
    }
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    Guarded([&] { result = QApplication::notify(receiver, event); });
    return result;
}
