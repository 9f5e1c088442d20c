#include "ui/dialogs/Prompt.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

TFPrompt::TFPrompt(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FPrompt"));
    setFixedSize(276, 110);

    lIcon = new QLabel(this);
    lIcon->setObjectName(QStringLiteral("lIcon"));
    lIcon->setGeometry(8, 8, 32, 32);
    lIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));

    lPrompt = new QLabel(this);
    lPrompt->setObjectName(QStringLiteral("lPrompt"));
    lPrompt->setGeometry(48, 8, 220, 16);

    eValue = new QLineEdit(this);
    eValue->setObjectName(QStringLiteral("eValue"));
    eValue->setMaxLength(255);
    eValue->setGeometry(48, 30, 220, 22);

    bOK = new QPushButton(QStringLiteral("&OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    bOK->setGeometry(112, 76, 75, 25);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);

    bCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    bCancel->setGeometry(193, 76, 75, 25);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString PromptForText(const QString& prompt, const QString& caption, const QString& proposed) {
    // Centred on the program's main window where there is one.
    QWidget* owner = QApplication::activeWindow();
    TFPrompt dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.lPrompt->setText(prompt);
    dialog.eValue->setText(proposed);
    dialog.eValue->selectAll();
    if (dialog.exec() == QDialog::Accepted)
        return dialog.eValue->text();
    return QString();
}
