#pragma once

#include "seams/Messages.h"

// Message boxes without owner window, as the program shows them.
class TMessageBoxes final : public IMessages {
public:
    void Show(const QString& caption, const QString& text, MessageIcon icon) override;
    bool Ask(const QString& caption, const QString& text, MessageIcon icon) override;
};
