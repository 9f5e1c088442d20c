#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: the logo, the product name and the release level.
class TAbout final : public QDialog {
    Q_OBJECT
public:
    explicit TAbout(QWidget* parent = nullptr);

private:
    void FormCreate();
    void bCloseClick();

    QLabel* lTitle;
    QLabel* lVersion;
    QPushButton* bClose;
};

// The release level the update check compares against.
inline constexpr int UpdateLevel = 20;
