#include "ui/PlaceholderWindow.h"

#include <QLabel>
#include <QVBoxLayout>

TPlaceholderWindow::TPlaceholderWindow() {
    setObjectName(QStringLiteral("Display"));
    setWindowTitle(QStringLiteral("Meterlyn"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Meterlyn"), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    resize(200, 120);
}
