#pragma once

#include <QWidget>

// The program's main window until the themed display window takes its place.
class TPlaceholderWindow final : public QWidget {
    Q_OBJECT
public:
    TPlaceholderWindow();
};
