#pragma once

#include <QString>

enum class MessageIcon { Information, Warning, Error, Question };

// Message boxes and Yes/No questions shown to the user. The window layer installs the real
// one; until then messages go to the log and questions are answered No.
class IMessages {
public:
    virtual ~IMessages() = default;
    virtual void Show(const QString& caption, const QString& text, MessageIcon icon) = 0;
    // True only when the user answers Yes.
    virtual bool Ask(const QString& caption, const QString& text, MessageIcon icon) = 0;
};

IMessages& Messages();
// nullptr restores the logging fallback.
void SetMessages(IMessages* messages);
