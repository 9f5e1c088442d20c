#pragma once

#include "ui/dialogs/Prompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Acts on the text prompt once it is shown modally.
inline void WhenPromptShows(std::function<void(TFPrompt*)> action) {
    QTimer::singleShot(0, [action] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* prompt = qobject_cast<TFPrompt*>(w); prompt && prompt->isVisible()) {
                action(prompt);
                return;
            }
        ADD_FAILURE() << "no prompt shown";
    });
}

// Answers the prompt with a text and OK, or with Cancel when `text` is null.
inline void AnswerPrompt(const QString& text, bool ok = true) {
    WhenPromptShows([text, ok](TFPrompt* prompt) {
        prompt->eValue->setText(text);
        (ok ? prompt->bOK : prompt->bCancel)->click();
    });
}
