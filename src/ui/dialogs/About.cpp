#include "ui/dialogs/About.h"

#include "ui/dialogs/Icons.h"

#include <QLabel>
#include <QPushButton>

TAbout::TAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(328, 288);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("iLogo"));
    picture->setPixmap(ProgramIcon().pixmap(48, 48));
    picture->setGeometry(16, 16, 48, 48);

    lTitle = new QLabel(QStringLiteral("Meterlyn 2"), this);
    lTitle->setObjectName(QStringLiteral("lTitle"));
    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPixelSize(13);
    titleFont.setBold(true);
    lTitle->setFont(titleFont);
    lTitle->setGeometry(80, 20, 232, 20);

    lVersion = new QLabel(this);
    lVersion->setObjectName(QStringLiteral("lVersion"));
    lVersion->setGeometry(80, 44, 232, 18);

    auto* lCopy = new QLabel(QStringLiteral("A network traffic meter for the desktop.\n"
                                            "Themes, usage logs and live rates."),
                             this);
    lCopy->setObjectName(QStringLiteral("lDescription"));
    lCopy->setGeometry(80, 72, 232, 60);
    lCopy->setWordWrap(true);

    bClose = new QPushButton(QStringLiteral("&OK"), this);
    bClose->setObjectName(QStringLiteral("bClose"));
    bClose->setDefault(true);
    bClose->setGeometry(240, 250, 75, 25);
    connect(bClose, &QPushButton::clicked, this, &TAbout::bCloseClick);

    FormCreate();
}

void TAbout::FormCreate() {
    lVersion->setText(QStringLiteral("Application release %1").arg(UpdateLevel));
}

void TAbout::bCloseClick() {
    accept();
}
