#include "seams/Messages.h"

#include <QDebug>

namespace {
class LogMessages final : public IMessages {
public:
    void Show(const QString& caption, const QString& text, MessageIcon) override {
        qWarning().noquote() << caption + QStringLiteral(": ") + text;
    }
    bool Ask(const QString& caption, const QString& text, MessageIcon) override {
        qWarning().noquote() << caption + QStringLiteral(": ") + text + QStringLiteral(" [No]");
        return false;
    }
};

LogMessages fallback;
IMessages* installed = nullptr;
} // namespace

IMessages& Messages() {
    return installed ? *installed : fallback;
}
void SetMessages(IMessages* messages) {
    installed = messages;
}
