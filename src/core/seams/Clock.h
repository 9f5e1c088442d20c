#pragma once

#include "config/DateTime.h"

// Where the program learns the current local date and time.
class IClock {
public:
    virtual ~IClock() = default;
    virtual TDateTime Now() const = 0;
};

// The clock every part of the program asks; the system clock unless one was installed.
const IClock& Clock();
// Installs a clock (tests, the platform layer); nullptr restores the system clock.
void SetClock(const IClock* clock);

TDateTime Now();
