#pragma once

#include <QString>

// Opens web pages, folders and files with the desktop's default handler.
class IShell {
public:
    virtual ~IShell() = default;
    virtual bool Open(const QString& target) = 0;
};

IShell& Shell();
// nullptr restores the desktop's handler.
void SetShell(IShell* shell);
