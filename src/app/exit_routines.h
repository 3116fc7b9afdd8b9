// The host's list of exit routines: each routine once, in the order of
// registration, at the first orderly end only.
#pragma once

#include <algorithm>
#include <vector>

namespace lj {

class ExitRoutines {
public:
    // Adds the routine unless it is listed already.
    void add(void (*routine)()) {
        if (std::find(routines_.begin(), routines_.end(), routine) == routines_.end()) routines_.push_back(routine);
    }
    // Runs them all the first time; later calls do nothing.
    void runOnce() {
        if (ran_) return;
        ran_ = true;
        for (auto routine : routines_) routine();
    }

private:
    std::vector<void (*)()> routines_;
    bool ran_ = false;
};

}  // namespace lj
