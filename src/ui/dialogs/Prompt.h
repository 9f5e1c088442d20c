#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// A one-line text prompt.
class TFPrompt final : public QDialog {
    Q_OBJECT
public:
    explicit TFPrompt(QWidget* parent = nullptr);

    QLabel* lIcon;
    QLabel* lPrompt;
    QLineEdit* eValue;
    QPushButton* bOK;
    QPushButton* bCancel;
};

// Asks for a line of text. Returns the text when the user confirms with OK, and empty text
// otherwise: an empty answer and a cancelled prompt are the same to the caller.
QString PromptForText(const QString& prompt, const QString& caption, const QString& proposed);
