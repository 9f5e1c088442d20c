#include "seams/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
class DesktopShell final : public IShell {
public:
    bool Open(const QString& target) override {
        const QUrl url = target.contains(QStringLiteral("://")) ? QUrl(target)
                                                                : QUrl::fromLocalFile(target);
        return QDesktopServices::openUrl(url);
    }
};

DesktopShell desktop;
IShell* installed = nullptr;
} // namespace

IShell& Shell() { return installed ? *installed : desktop; }
void SetShell(IShell* shell) { installed = shell; }
