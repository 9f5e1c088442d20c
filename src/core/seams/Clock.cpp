#include "seams/Clock.h"

namespace {
class SystemClock final : public IClock {
public:
    TDateTime Now() const override { return EncodeDateTime(QDateTime::currentDateTime()); }
};

const SystemClock kSystemClock;
const IClock* installed = nullptr;
} // namespace

const IClock& Clock() {
    return installed ? *installed : kSystemClock;
}
void SetClock(const IClock* clock) {
    installed = clock;
}
TDateTime Now() {
    return Clock().Now();
}
