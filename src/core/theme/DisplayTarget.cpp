#include "theme/DisplayTarget.h"

namespace {
IDisplayTarget* target = nullptr;
}

IDisplayTarget* DisplayTarget() {
    return target;
}
void SetDisplayTarget(IDisplayTarget* displayTarget) {
    target = displayTarget;
}
