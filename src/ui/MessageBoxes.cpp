#include "ui/MessageBoxes.h"

#include <QMessageBox>

namespace {
QMessageBox::Icon ToIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void TMessageBoxes::Show(const QString& caption, const QString& text, MessageIcon icon) {
    QMessageBox box(ToIcon(icon), caption, text, QMessageBox::Ok);
    box.exec();
}

bool TMessageBoxes::Ask(const QString& caption, const QString& text, MessageIcon icon) {
    QMessageBox box(ToIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
